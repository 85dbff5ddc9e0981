#include "MyTools.h"

#include "Cp1252.h"

const TMyTools MyTools;

QString TMyTools::RemoveSpaces(const QString &s) const
{
    QString out;
    out.reserve(s.size());
    for (QChar c : s)
        if (c != u' ')
            out.append(c);
    return out;
}

QString TMyTools::TwoDigitText(qint64 value) const
{
    QString text = QString::number(value);
    if (text.size() == 1)
        text.prepend(u'0');
    return text;
}

QString TMyTools::KeyLetters(const QString &s) const
{
    QString out(s.size(), u'A');
    for (qsizetype i = 0; i < s.size(); ++i) {
        int b = Cp1252::byteOf(s[i]);
        if (b >= 'a' && b <= 'z')
            b -= 32;
        switch (b) {
        case 0xE4: case 0xC4: b = 'A'; break;
        case 0xFC: case 0xDC: b = 'U'; break;
        case 0xF6: case 0xD6: b = 'O'; break;
        case 0xDF: b = 'S'; break;
        default: break;
        }
        if (b >= 'A' && b <= 'Z')
            out[i] = QChar(b);
    }
    return out;
}
