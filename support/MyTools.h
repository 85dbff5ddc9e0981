#pragma once

#include <QString>

// Small string tools, reached through the one global instance MyTools.
class TMyTools
{
public:
    // S without any blank (character 32); tabs stay.
    QString RemoveSpaces(const QString &s) const;
    // Decimal text of value; a single character gets a "0" in front (7 -> "07", -5 -> "-5").
    QString TwoDigitText(qint64 value) const;
    // S folded to the capitals A to Z, character by character: a-z to A-Z;
    // ä Ä to A, ö Ö to O, ü Ü to U, ß to S; anything else to A.
    QString KeyLetters(const QString &s) const;
};

extern const TMyTools MyTools;
