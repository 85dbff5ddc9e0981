#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include <limits>
#include <optional>

// An INI file held in memory, line by line in file order, with the rules of
// the Windows profile services:
// - lines end at CR LF, LF or CR; a missing final line end is fine;
// - "[name]" opens a section (the name runs to the last "]" of the line);
//   a line whose first non-blank character is ";" is a comment; blank lines
//   and lines before the first section are kept as they stand and are no keys;
// - inside a section every other line is a key: "name=value", or a line
//   without "=", which is a key with an empty value (as Windows lists it);
//   a line with nothing before its "=" has no name and is kept as text only;
// - section and key names match without regard to letter case (Windows-1252
//   letters with umlauts included); the first of two equal names wins: a
//   repeated section is invisible to lookups, and so is a repeated key, though
//   ForEachKey visits every key line of the first section, repeats included;
// - names and values are trimmed of blanks and tabs; a value enclosed in a
//   pair of equal quotes (" or ') loses them when read (SetValue adds a pair
//   where a value needs one to read back as written);
// - a changed key keeps its place and its key text; a new key goes after the
//   last key of its section (after the header when it has none); a new section
//   goes at the end of the file;
// - every byte other than CR and LF is data, NUL included.
// All names and values are Windows-1252 bytes, or UTF-8 for a document
// parsed with TNames::Utf8. Lookups cost O(1). The bytes
// of the file are kept whole and lines refer into them, so that reading a
// file costs no allocation per line; the lines are grouped in one block per
// section, so that adding a key moves only the lines of its own section.
class TIniDocument
{
public:
    // What the bytes of names are: Windows-1252, folded byte by byte; or the
    // UTF-8 of a file read with a byte order mark, folded character by
    // character, each character that Windows-1252 holds as its byte folds,
    // so that names match in such a file exactly as in a Windows-1252 one.
    enum class TNames { Windows1252, Utf8 };

    TIniDocument() = default;
    // The document of a file's bytes, which it keeps.
    static TIniDocument ParseBytes(QByteArray bytes, TNames names = TNames::Windows1252);

    // The whole file, every line ending in CR LF.
    QByteArray Serialize() const;

    // True when the document has no line at all.
    bool IsEmpty() const;
    bool IsModified() const { return m_modified; }

    // The value of a key, or nothing when the section or key is missing.
    std::optional<QByteArray> Value(QByteArrayView section, QByteArrayView key) const;
    // The same without a copy; the view is valid until the next change.
    std::optional<QByteArrayView> ValueView(QByteArrayView section, QByteArrayView key) const;
    // The number of key names ForEachKey visits in a section (0 when it is missing).
    qsizetype KeyCount(QByteArrayView section) const;
    // Calls visit(name) for each key line of a section in file order, repeats
    // included; stops early when visit returns false. The views are valid
    // until the next change.
    template<typename Visit> void ForEachKey(QByteArrayView section, Visit visit) const
    {
        const qsizetype block = findBlockIndex(section);
        if (block < 0)
            return;
        const Block &b = m_blocks.at(block);
        for (qsizetype pos : b.keyLines)
            if (!visit(keyNameAt(b, pos)))
                return;
    }

    // Calls visit(value) for each key of a section in file order, as
    // ForEachKey visits their names, with the value that a lookup of the name
    // gives (that of the first key of the name); stops early when visit
    // returns false. The views are valid until the next change.
    template<typename Visit> void ForEachValue(QByteArrayView section, Visit visit) const
    {
        const qsizetype block = findBlockIndex(section);
        if (block < 0)
            return;
        const Block &b = m_blocks.at(block);
        for (qsizetype pos : b.keyLines)
            if (!visit(valueOfName(b, pos)))
                return;
    }

    // Sets a key, creating key and section as needed. The value reads back as
    // given: one that starts or ends with a blank or tab, or stands in a pair
    // of quotes, is written in one more pair of quotes. Refuses (false, nothing
    // changed) what would not read back as the same key: an empty section or
    // key name, CR or LF anywhere, a key containing "=" or starting with ";"
    // or "[".
    bool SetValue(QByteArrayView section, QByteArrayView key, QByteArrayView value);
    // Removes every occurrence of the section, header and all its lines, so
    // that no repeated copy of it comes to light afterwards.
    void EraseSection(QByteArrayView section);
    // Writes a section whole, as the profile services' section writer does:
    // WriteSection erases the section, and each Add of the writer it returns
    // appends a "key=value" line, the first one making the section anew at
    // the end of the file. Unlike SetValue, keys are not looked up on the
    // way: a key added twice gets two lines, and lookups find the first.
    // Values are quoted as SetValue quotes them; Add refuses (false, nothing
    // added) what SetValue would refuse, a section name with a line end
    // included. One section at a time: the document is changed by no other
    // call between the Adds.
    class TSectionWriter
    {
    public:
        bool Add(QByteArrayView key, QByteArrayView value);

    private:
        friend class TIniDocument;
        TSectionWriter(TIniDocument &doc, QByteArrayView section, qsizetype expectedKeys)
            : m_doc(doc)
            , m_section(section)
            , m_expectedKeys(expectedKeys)
        { }
        TIniDocument &m_doc;
        QByteArrayView m_section; // the caller's bytes
        qsizetype m_expectedKeys;
        qsizetype m_block = -1;
        QByteArray m_quoted;
    };
    // `section` must stay valid while the writer is used; room is made for
    // the keys expected.
    TSectionWriter WriteSection(QByteArrayView section, qsizetype expectedKeys = 8);
    // A section or key name as lookups compare it: trimmed of blanks and
    // tabs, letters folded. Two names match exactly when these are equal.
    static QByteArray FoldedName(QByteArrayView name, TNames names = TNames::Windows1252);

    // Makes room for this many bytes of written lines (each with its line
    // end), for a writer that knows roughly how much it will write.
    void ReserveForWriting(qsizetype bytes);

    // Appends a raw line (a comment) at the end of the file; it counts as what
    // it is when read back (a "[name]" line opens a section). Refuses a line
    // containing CR or LF (false, nothing changed).
    bool AppendLine(QByteArrayView line);

private:
    // A line: bytes of m_text at offset >= 0, or of m_added at -offset - 1
    // (where CR LF follow each line).
    struct Line
    {
        qsizetype offset;
        qsizetype size;
    };
    // One slot of a key table: the first line of a key name in its block. The
    // name is not stored; it is compared with the line itself.
    struct KeySlot
    {
        quint32 hash = 0;
        qint32 pos = -1; // -1: free
    };
    // One section: its header line and the lines after it; or the lines
    // before the first section (no header). A section without lines costs no
    // allocation. Each section has its own key table (open addressing, linear
    // probing), so that the keys of one section lie close together in memory.
    struct Block
    {
        Line header {0, 0};
        QList<Line> lines; // the lines after the header
        // Positions of the key lines in `lines`, in file order (as in the key
        // table, 32 bits: a section of 2^31 lines would not fit in memory).
        QList<qint32> keyLines;
        // The key table and what it found (a power of two in size, at most
        // three quarters full); made when first needed for a section written
        // whole, hence mutable.
        mutable QList<KeySlot> keyTable;
        mutable qint32 keyCount = 0;
        // The next block of the same name in file order, and (kept in the
        // first of them only) the last one; -1 for none. 32 bits, as in the
        // section table: a file of many small sections costs less memory.
        qint32 nextSame = -1;
        qint32 lastSame = -1;
        // Where the section's name stands in the header line; a size of -1
        // (a header line of over 2 GiB) has it found in the line when asked.
        qint32 nameStart = 0;
        qint32 nameSize = 0;
        void setName(QByteArrayView headerLine, QByteArrayView name)
        {
            const qsizetype start = name.data() - headerLine.data();
            const bool fits = start + name.size() <= std::numeric_limits<qint32>::max();
            nameStart = fits ? qint32(start) : 0;
            nameSize = fits ? qint32(name.size()) : -1;
        }
        bool hasHeader = false;
        bool erased = false;
        // True once a key name occurs twice: only then can a key line's value
        // differ from the value its name looks up.
        mutable bool repeatedKeys = false;
        mutable bool indexed = true;
    };

    QByteArrayView lineAt(const Line &line) const;
    QByteArrayView keyNameAt(const Block &block, qsizetype pos) const;
    // The value that a lookup of the name of the key line at `pos` gives.
    QByteArrayView valueOfName(const Block &block, qsizetype pos) const;
    QByteArrayView lineAt(const Block &block, qsizetype pos) const
    {
        return lineAt(block.lines.at(pos));
    }
    void addLine(Line line);
    qsizetype findBlockIndex(QByteArrayView section) const;
    // The first block of a section, by its folded name, or -1.
    qsizetype findSection(QByteArrayView folded, quint32 hash) const;
    // Enters a new block with a header under its name.
    void addSection(qsizetype blockIndex);
    // Appends a new section with room for this many keys; returns its block.
    qsizetype addFreshSection(QByteArrayView section, qsizetype keys);
    QByteArrayView sectionName(const Block &block) const;
    // The position of a key in a block, or -1; `folded` is the folded name.
    qsizetype findKey(const Block &block, QByteArrayView folded, quint32 hash) const;
    // Enters the key line at `pos`, named `name`, unless the name is there already.
    void indexKey(const Block &block, qsizetype pos, QByteArrayView name) const;
    static void insertSlot(const Block &block, KeySlot slot);
    // Doubles a key table that has no room for one more name.
    static void growKeyTableIfFull(const Block &block);
    // Makes a block's key table from its key lines; name(k) is the name of
    // key line k.
    template<typename Name> void makeKeyTable(const Block &block, Name name) const;
    // Makes the key table of a section written whole, when first needed.
    void ensureIndexed(const Block &block) const;
    // Stores the bytes of a new line (in place of `replacing` when given).
    // May move the lines written before (see compact()): views into the
    // document are invalid afterwards.
    Line storeLine(QByteArrayView bytes, const Line *replacing = nullptr);
    // Stores a new line "key=value" the same way.
    Line storeKeyLine(QByteArrayView key, QByteArrayView value);
    // Appends room for a new line of `size` bytes, its line end written, to
    // the written bytes; `line` tells where. The caller fills the room.
    char *appendLine(qsizetype size, Line &line);
    // Drops the bytes of a written line that is no longer in the document.
    void dropLine(const Line &line);
    // Moves the written lines still in the document together once more of
    // m_added is dropped than kept, so that erasing and writing over and over
    // keeps memory in proportion to the document.
    void compact();

    QByteArray m_text; // the bytes read, unchanged
    QByteArray m_added; // the lines written since, one after another, each ending in CR LF
    qsizetype m_dropped = 0; // bytes of m_added that no line uses any more
    qsizetype m_linesVisited = 0; // lines the last compaction went through
    QList<Block> m_blocks;
    // The sections by folded name: slots point at the first block of a name
    // (pos -2 marks a section erased). Open addressing, as for the keys.
    QList<KeySlot> m_sectionTable;
    qsizetype m_sectionSlotsUsed = 0;
    // The section found last, as given: writers set many keys of one section in a row.
    mutable QByteArray m_lastSection;
    mutable qsizetype m_lastBlock = -1;
    bool m_modified = false;
    TNames m_names = TNames::Windows1252;
};
