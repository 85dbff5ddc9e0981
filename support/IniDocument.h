#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QList>

#include <optional>

// An INI file held in memory, line by line in file order, with the rules of
// the Windows profile services:
// - lines end at CR LF, LF or CR; a missing final line end is fine;
// - "[name]" opens a section; "name=value" is a key; a line starting with ";"
//   is a comment; blank lines and other lines are kept as they stand;
// - section and key names match without regard to letter case (Windows-1252
//   letters with umlauts included); the first of two equal names wins;
// - names and values are trimmed of blanks and tabs; a value enclosed in a
//   pair of equal quotes loses them when read;
// - a changed key keeps its place; a new key goes after the last key of its
//   section; a new section goes at the end of the file.
// All names and values are Windows-1252 bytes. Lookups cost O(1).
class TIniDocument
{
public:
    TIniDocument() = default;
    static TIniDocument Parse(QByteArrayView bytes);

    // The whole file, every line ending in CR LF.
    QByteArray Serialize() const;

    bool IsEmpty() const { return m_lines.isEmpty(); }
    bool IsModified() const { return m_modified; }
    void SetModified(bool modified) { m_modified = modified; }

    // The value of a key, or nothing when the section or key is missing.
    std::optional<QByteArray> Value(QByteArrayView section, QByteArrayView key) const;
    // Key names of a section in file order (empty when the section is missing).
    QList<QByteArray> Keys(QByteArrayView section) const;
    bool HasSection(QByteArrayView section) const;

    void SetValue(QByteArrayView section, QByteArrayView key, QByteArrayView value);
    void EraseSection(QByteArrayView section);
    // Appends a raw line (a comment) at the end of the file.
    void AppendLine(QByteArrayView line);

private:
    struct Line;
    struct Section;
    // ... implementation-defined members
    QList<QByteArray> m_lines;
    bool m_modified = false;
};
