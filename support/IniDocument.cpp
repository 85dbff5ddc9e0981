#include "IniDocument.h"

#include "Cp1252.h"

#include <QVarLengthArray>

#include <algorithm>
#include <array>
#include <cstring>
#include <functional>
#include <new>
#include <vector>

namespace {

// A list with the elements of `v`. Qt's range constructor does not check its
// allocation (it copies into nothing when memory runs out); here running out
// is an exception, as everywhere else, which the readers of files answer.
template<typename T> QList<T> listOf(const std::vector<T> &v)
{
    QList<T> list;
    list.reserve(qsizetype(v.size()));
    if (list.capacity() < qsizetype(v.size()))
        throw std::bad_alloc();
    list.resize(qsizetype(v.size())); // within the capacity: no allocation
    std::copy(v.cbegin(), v.cend(), list.begin());
    return list;
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

QByteArrayView trimmed(QByteArrayView s)
{
    qsizetype b = 0, e = s.size();
    while (b < e && isBlank(s[b]))
        ++b;
    while (e > b && isBlank(s[e - 1]))
        --e;
    return s.sliced(b, e - b);
}

// The position of the first c in s, or -1.
qsizetype find(QByteArrayView s, char c)
{
    if (s.isEmpty())
        return -1;
    const void *at = std::memchr(s.data(), c, size_t(s.size()));
    return at ? static_cast<const char *>(at) - s.data() : -1;
}

bool hasLineEnd(QByteArrayView s)
{
    return find(s, '\n') >= 0 || find(s, '\r') >= 0;
}

// True when no byte of s is CR, LF or `also`; one look at each byte, as
// names are short.
bool noneOf(QByteArrayView s, char also)
{
    for (const char c : s)
        if (c == '\r' || c == '\n' || c == also)
            return false;
    return true;
}

// A key name SetValue and WriteSection take (already trimmed).
bool writableKey(QByteArrayView key)
{
    return !key.isEmpty() && key[0] != ';' && key[0] != '[' && noneOf(key, '=');
}

// A value that would lose something when read (blanks or tabs at its ends, or
// a pair of quotes around it) is written in one more pair of quotes, which
// reading takes off again; `buffer` holds the quoted text.
QByteArrayView quotedIfNeeded(QByteArrayView value, QByteArray &buffer)
{
    if (value.isEmpty()
        || !(isBlank(value.front()) || isBlank(value.back())
            || (value.size() >= 2 && (value.front() == '"' || value.front() == '\'')
                && value.back() == value.front())))
        return value;
    buffer.resize(value.size() + 2);
    buffer[0] = '"';
    std::memcpy(buffer.data() + 1, value.data(), size_t(value.size()));
    buffer[value.size() + 1] = '"';
    return buffer;
}

// Names are compared by their folded bytes; they are folded on the stack so
// that a lookup allocates nothing.
using FoldBuffer = QVarLengthArray<char, 128>;

using TNames = TIniDocument::TNames;

// The characters of two UTF-8 bytes, U+0080 to U+07FF, folded as their
// Windows-1252 bytes fold (every letter with a case partner there lies below
// U+0180); a character without a byte stays as it is. A fold never changes
// the length of a character's UTF-8 form.
constexpr char16_t FoldedBelow = 0x180;
const std::array<char16_t, FoldedBelow> &utf8FoldTable()
{
    static const std::array<char16_t, FoldedBelow> table = [] {
        std::array<char16_t, FoldedBelow> t {};
        for (char16_t c = 0; c < FoldedBelow; ++c) {
            t[c] = c;
            const int b = Cp1252::byteOf(QChar(c));
            if (c < 0x80 || b < 0)
                continue;
            const char folded = static_cast<char>(Cp1252::foldByte(static_cast<unsigned char>(b)));
            const char16_t f = Cp1252::decode(&folded, 1).at(0).unicode();
            if (f >= 0x80 && f < 0x800)
                t[c] = f;
        }
        return t;
    }();
    return table;
}

void foldUtf8(QByteArrayView name, char *out)
{
    const auto &table = utf8FoldTable();
    for (qsizetype i = 0; i < name.size(); ++i) {
        const auto b = static_cast<unsigned char>(name[i]);
        if (b < 0x80) {
            out[i] = static_cast<char>(Cp1252::foldByte(b));
        } else if (b >= 0xC2 && b <= 0xC5 && i + 1 < name.size()
            && (static_cast<unsigned char>(name[i + 1]) & 0xC0) == 0x80) {
            const char16_t f = table[((b & 0x1F) << 6) | (name[i + 1] & 0x3F)];
            out[i] = static_cast<char>(0xC0 | (f >> 6));
            out[++i] = static_cast<char>(0x80 | (f & 0x3F));
        } else {
            out[i] = static_cast<char>(b); // other characters are not folded
        }
    }
}

QByteArrayView fold(QByteArrayView name, FoldBuffer &buffer, TNames names)
{
    buffer.resize(name.size());
    if (names == TNames::Utf8) {
        foldUtf8(name, buffer.data());
    } else {
        for (qsizetype i = 0; i < name.size(); ++i)
            buffer[i] = static_cast<char>(Cp1252::foldByte(static_cast<unsigned char>(name[i])));
    }
    return QByteArrayView(buffer.constData(), buffer.size());
}

bool equalFolded(QByteArrayView name, QByteArrayView folded, TNames names)
{
    if (name.size() != folded.size())
        return false;
    if (names == TNames::Utf8) {
        FoldBuffer buffer;
        return fold(name, buffer, names) == folded;
    }
    for (qsizetype i = 0; i < name.size(); ++i)
        if (Cp1252::foldByte(static_cast<unsigned char>(name[i]))
            != static_cast<unsigned char>(folded[i]))
            return false;
    return true;
}

quint32 keyHash(QByteArrayView folded)
{
    // Seeded per process, so that a file cannot be made of names that all
    // collide and turn every lookup into a walk through the whole table.
    const size_t h = qHashBits(folded.data(), size_t(folded.size()), QHashSeed::globalSeed());
    return quint32(h ^ (quint64(h) >> 32));
}

// The name of a section header line, or nothing when the line is none.
std::optional<QByteArrayView> headerName(QByteArrayView line)
{
    // Most lines are no header: they are told by their first non-blank byte.
    qsizetype first = 0;
    while (first < line.size() && isBlank(line[first]))
        ++first;
    if (first == line.size() || line[first] != '[')
        return std::nullopt;
    const QByteArrayView t = trimmed(line.sliced(first));
    const qsizetype close = t.lastIndexOf(']');
    if (close < 1)
        return std::nullopt;
    return trimmed(t.sliced(1, close - 1));
}

// The name of a key line inside a section; empty when the line is no key.
QByteArrayView keyName(QByteArrayView line)
{
    const QByteArrayView t = trimmed(line);
    if (t.isEmpty() || t[0] == ';')
        return {};
    const qsizetype eq = find(t, '=');
    return eq < 0 ? t : trimmed(t.first(eq));
}

// The value of a key line as Windows returns it.
QByteArrayView keyValue(QByteArrayView line)
{
    const qsizetype eq = find(line, '=');
    if (eq < 0)
        return {};
    QByteArrayView v = trimmed(line.sliced(eq + 1));
    if (v.size() >= 2 && (v[0] == '"' || v[0] == '\'') && v.back() == v[0])
        v = v.sliced(1, v.size() - 2);
    return v;
}

// A key table (a power of two in size) is at most three quarters full, so
// that a probe rarely passes more than a slot or two.
constexpr bool keyTableTooFull(qsizetype keys, qsizetype tableSize)
{
    return keys * 4 > tableSize * 3;
}

// Room made in a section that a writer creates: the keys it usually gets, and
// a key table that holds them.
constexpr qsizetype FreshSectionKeys = 24;
constexpr qsizetype FreshKeyTable = 32;
static_assert((FreshKeyTable & (FreshKeyTable - 1)) == 0
    && !keyTableTooFull(FreshSectionKeys, FreshKeyTable));

} // namespace

TIniDocument TIniDocument::ParseBytes(QByteArray bytes, TNames names)
{
    TIniDocument doc;
    doc.m_names = names;
    doc.m_text = std::move(bytes);
    const char *const begin = doc.m_text.constData();
    const char *const end = begin + doc.m_text.size();
    // Room for a block per line that starts with "[", so that a file of
    // many sections does not hold the blocks twice while they grow.
    qsizetype headers = (begin != end && *begin == '[') ? 1 : 0;
    for (const char *q = begin;
         (q = static_cast<const char *>(std::memchr(q, '[', size_t(end - q)))); ++q)
        headers += q != begin && (q[-1] == '\n' || q[-1] == '\r');
    doc.m_blocks.reserve(headers + 1);
    // The lines of the section being read gather in these vectors, which are
    // reused; each section then gets its lists at their final size in one
    // allocation, instead of growing them line by line, and its key table.
    std::vector<Line> lines;
    std::vector<qint32> keyLines;
    // The names of the first key lines, found while splitting: a section's
    // key table is made from them without taking the lines apart again. Only
    // so many are kept, so that a file of tiny lines does not hold them all.
    constexpr size_t KeptNames = 4096;
    std::vector<QByteArrayView> keyNames;
    keyNames.reserve(KeptNames);
    auto closeBlock = [&] {
        if (doc.m_blocks.isEmpty())
            return;
        Block &block = doc.m_blocks.last();
        block.lines = listOf(lines);
        block.keyLines = listOf(keyLines);
        if (!keyLines.empty())
            doc.makeKeyTable(block, [&](qsizetype k) {
                return size_t(k) < keyNames.size() ? keyNames[size_t(k)]
                                                   : doc.keyNameAt(block, block.keyLines.at(k));
            });
        lines.clear();
        keyLines.clear();
        keyNames.clear();
    };
    const char *p = begin;
    // The next CR and the next LF are searched for only once they have been
    // passed, so that a file using just one of them is still read in one pass.
    const char *nextCr = nullptr, *nextLf = nullptr;
    while (p < end) {
        if (!nextCr || nextCr < p) {
            nextCr = static_cast<const char *>(std::memchr(p, '\r', size_t(end - p)));
            if (!nextCr)
                nextCr = end;
        }
        if (!nextLf || nextLf < p) {
            nextLf = static_cast<const char *>(std::memchr(p, '\n', size_t(end - p)));
            if (!nextLf)
                nextLf = end;
        }
        const char *lineEnd = std::min(nextCr, nextLf);
        const Line line {p - begin, lineEnd - p};
        const QByteArrayView text(p, lineEnd - p);
        if (const auto name = headerName(text)) {
            closeBlock();
            Block block;
            block.hasHeader = true;
            block.header = line;
            block.setName(text, *name);
            doc.m_blocks.append(std::move(block));
            doc.addSection(doc.m_blocks.size() - 1);
        } else {
            if (doc.m_blocks.isEmpty())
                doc.m_blocks.append(Block());
            if (doc.m_blocks.last().hasHeader) {
                if (const QByteArrayView name = keyName(text); !name.isEmpty()) {
                    keyLines.push_back(qint32(lines.size()));
                    if (keyNames.size() < KeptNames)
                        keyNames.push_back(name);
                }
            }
            lines.push_back(line);
        }
        if (lineEnd == end)
            break;
        p = lineEnd + 1;
        if (*lineEnd == '\r' && p < end && *p == '\n')
            ++p;
    }
    closeBlock();
    return doc;
}

QByteArrayView TIniDocument::lineAt(const Line &line) const
{
    if (line.offset >= 0)
        return QByteArrayView(m_text.constData() + line.offset, line.size);
    return QByteArrayView(m_added.constData() + (-line.offset - 1), line.size);
}

QByteArrayView TIniDocument::keyNameAt(const Block &block, qsizetype pos) const
{
    return keyName(lineAt(block, pos));
}

TIniDocument::Line TIniDocument::storeLine(QByteArrayView bytes, const Line *replacing)
{
    // A written line that the new one fits into is overwritten, so that
    // repeated changes of one key do not pile up.
    if (replacing && replacing->offset < 0 && bytes.size() <= replacing->size) {
        char *at = m_added.data() + (-replacing->offset - 1);
        if (!bytes.isEmpty())
            std::memmove(at, bytes.data(), size_t(bytes.size()));
        at[bytes.size()] = '\r';
        at[bytes.size() + 1] = '\n';
        m_dropped += replacing->size - bytes.size();
        return Line {replacing->offset, bytes.size()};
    }
    if (replacing)
        dropLine(*replacing);
    Line stored;
    char *dst = appendLine(bytes.size(), stored);
    if (!bytes.isEmpty())
        std::memcpy(dst, bytes.data(), size_t(bytes.size()));
    return stored;
}

// Inline: every written line passes here.
Q_ALWAYS_INLINE char *TIniDocument::appendLine(qsizetype size, Line &line)
{
    // Grown by doubling and filled by the caller: a writer stores a line per
    // key, and a general append costs more than the copy itself.
    const qsizetype at = m_added.size();
    if (m_added.capacity() - at < size + 2)
        m_added.reserve(std::max<qsizetype>(2 * m_added.capacity(), at + size + 2 + 4096));
    m_added.resize(at + size + 2);
    char *dst = m_added.data() + at;
    dst[size] = '\r';
    dst[size + 1] = '\n';
    line = Line {-at - 1, size};
    return dst;
}

TIniDocument::Line TIniDocument::storeKeyLine(QByteArrayView key, QByteArrayView value)
{
    // Put together aside when a part lies in the written bytes, which growing moves.
    const std::less<const char *> before;
    auto inside = [&](QByteArrayView part) {
        return !part.isEmpty() && !before(part.data(), m_added.constData())
            && before(part.data(), m_added.constData() + m_added.capacity());
    };
    if (inside(key) || inside(value)) {
        QVarLengthArray<char, 256> line;
        line.append(key.data(), key.size());
        line.append('=');
        line.append(value.data(), value.size());
        return storeLine(QByteArrayView(line.constData(), line.size()));
    }
    Line stored;
    char *dst = appendLine(key.size() + 1 + value.size(), stored);
    std::memcpy(dst, key.data(), size_t(key.size()));
    dst[key.size()] = '=';
    if (!value.isEmpty())
        std::memcpy(dst + key.size() + 1, value.data(), size_t(value.size()));
    return stored;
}

void TIniDocument::dropLine(const Line &line)
{
    if (line.offset < 0)
        m_dropped += line.size + 2;
}

void TIniDocument::ReserveForWriting(qsizetype bytes)
{
    if (bytes > m_added.capacity())
        m_added.reserve(bytes);
}

void TIniDocument::compact()
{
    // Also waits until as many bytes were dropped as the last compaction
    // visited lines, so that a document of many lines read from the file is
    // not walked again for every few lines written.
    if (m_dropped < 4096 || m_dropped * 2 < m_added.size() || m_dropped < m_linesVisited)
        return;
    QByteArray kept;
    kept.reserve(m_added.size() - m_dropped);
    auto move = [&](Line &line) {
        if (line.offset >= 0)
            return;
        const qsizetype at = kept.size();
        kept.append(m_added.constData() + (-line.offset - 1), line.size + 2);
        line.offset = -at - 1;
    };
    m_linesVisited = 0;
    for (Block &b : m_blocks) {
        if (b.hasHeader)
            move(b.header);
        for (Line &line : b.lines)
            move(line);
        m_linesVisited += 1 + b.lines.size();
    }
    m_added = std::move(kept);
    m_dropped = 0;
}

void TIniDocument::addLine(Line line)
{
    const QByteArrayView text = lineAt(line);
    if (const auto name = headerName(text)) {
        Block block;
        block.hasHeader = true;
        block.header = line;
        block.setName(text, *name);
        m_blocks.append(std::move(block));
        addSection(m_blocks.size() - 1);
        return;
    }
    // The last block still in the document takes the line.
    qsizetype last = m_blocks.size() - 1;
    while (last >= 0 && m_blocks[last].erased)
        --last;
    if (last < 0) {
        m_blocks.append(Block());
        last = m_blocks.size() - 1;
    }
    Block &block = m_blocks[last];
    ensureIndexed(block); // before the new key line joins the section
    const qsizetype pos = block.lines.size();
    block.lines.append(line);
    const QByteArrayView name = keyName(text);
    if (!block.hasHeader || name.isEmpty())
        return;
    block.keyLines.append(qint32(pos));
    indexKey(block, pos, name);
}

QByteArrayView TIniDocument::sectionName(const Block &block) const
{
    if (block.nameSize < 0)
        return headerName(lineAt(block.header)).value_or(QByteArrayView());
    return lineAt(block.header).sliced(block.nameStart, block.nameSize);
}

qsizetype TIniDocument::findSection(QByteArrayView folded, quint32 hash) const
{
    if (m_sectionTable.isEmpty())
        return -1;
    const qsizetype mask = m_sectionTable.size() - 1;
    const KeySlot *table = m_sectionTable.constData();
    for (qsizetype i = hash & mask;; i = (i + 1) & mask) {
        const KeySlot &slot = table[i];
        if (slot.pos == -1)
            return -1;
        if (slot.pos >= 0 && slot.hash == hash
            && equalFolded(sectionName(m_blocks.at(slot.pos)), folded, m_names))
            return slot.pos;
    }
}

void TIniDocument::addSection(qsizetype blockIndex)
{
    FoldBuffer buffer;
    const QByteArrayView folded = fold(sectionName(m_blocks.at(blockIndex)), buffer, m_names);
    const quint32 hash = keyHash(folded);
    const qsizetype first = findSection(folded, hash);
    if (first >= 0) {
        // A repeated section: invisible to lookups, chained for erasing.
        Block &head = m_blocks[first];
        m_blocks[head.lastSame >= 0 ? head.lastSame : first].nextSame = qint32(blockIndex);
        head.lastSame = qint32(blockIndex);
        return;
    }
    if ((m_sectionSlotsUsed + 1) * 2 > m_sectionTable.size()) {
        // Grows (or only drops the marks of erased sections) and enters the
        // live sections anew.
        const QList<KeySlot> old = std::move(m_sectionTable);
        qsizetype live = 0;
        for (const KeySlot &slot : old)
            live += slot.pos >= 0;
        qsizetype size = 16;
        while (size < (live + 1) * 4)
            size *= 2;
        m_sectionTable = QList<KeySlot>(size);
        m_sectionSlotsUsed = 0;
        for (const KeySlot &slot : old)
            if (slot.pos >= 0) {
                qsizetype i = slot.hash & (size - 1);
                while (m_sectionTable[i].pos != -1)
                    i = (i + 1) & (size - 1);
                m_sectionTable[i] = slot;
                ++m_sectionSlotsUsed;
            }
    }
    const qsizetype mask = m_sectionTable.size() - 1;
    qsizetype i = hash & mask;
    while (m_sectionTable[i].pos != -1)
        i = (i + 1) & mask;
    m_sectionTable[i] = KeySlot {hash, qint32(blockIndex)};
    ++m_sectionSlotsUsed;
}

template<typename Name> void TIniDocument::makeKeyTable(const Block &block, Name name) const
{
    // At a size for as many names as key lines; a section that repeats one
    // name many times gets a table that grows with its distinct names instead.
    qsizetype size = 8;
    while (keyTableTooFull(block.keyLines.size(), size) && size < (qsizetype(1) << 16))
        size *= 2;
    block.keyTable = QList<KeySlot>(size);
    block.keyCount = 0;
    block.repeatedKeys = false;
    block.indexed = true;
    for (qsizetype k = 0; k < block.keyLines.size(); ++k)
        indexKey(block, block.keyLines.at(k), name(k));
}

void TIniDocument::ensureIndexed(const Block &block) const
{
    if (!block.indexed)
        makeKeyTable(block, [&](qsizetype k) { return keyNameAt(block, block.keyLines.at(k)); });
}

qsizetype TIniDocument::findKey(const Block &block, QByteArrayView folded, quint32 hash) const
{
    ensureIndexed(block);
    if (block.keyTable.isEmpty())
        return -1;
    const qsizetype mask = block.keyTable.size() - 1;
    const KeySlot *table = block.keyTable.constData();
    for (qsizetype i = hash & mask;; i = (i + 1) & mask) {
        const KeySlot &slot = table[i];
        if (slot.pos < 0)
            return -1;
        if (slot.hash == hash && equalFolded(keyName(lineAt(block, slot.pos)), folded, m_names))
            return slot.pos;
    }
}

void TIniDocument::indexKey(const Block &block, qsizetype pos, QByteArrayView name) const
{
    FoldBuffer buffer;
    const QByteArrayView folded = fold(name, buffer, m_names);
    const quint32 hash = keyHash(folded);
    growKeyTableIfFull(block);
    // One probe finds the name or the free slot it goes into.
    const qsizetype mask = block.keyTable.size() - 1;
    KeySlot *table = block.keyTable.data();
    for (qsizetype i = hash & mask;; i = (i + 1) & mask) {
        KeySlot &slot = table[i];
        if (slot.pos < 0) {
            slot = KeySlot {hash, qint32(pos)};
            ++block.keyCount;
            return;
        }
        if (slot.hash == hash && equalFolded(keyName(lineAt(block, slot.pos)), folded, m_names)) {
            block.repeatedKeys = true;
            return;
        }
    }
}

void TIniDocument::growKeyTableIfFull(const Block &block)
{
    if (!keyTableTooFull(block.keyCount + 1, block.keyTable.size()))
        return;
    const QList<KeySlot> old = std::move(block.keyTable);
    block.keyTable = QList<KeySlot>(std::max<qsizetype>(8, old.size() * 2));
    block.keyCount = 0;
    for (const KeySlot &s : old)
        if (s.pos >= 0)
            insertSlot(block, s);
}

void TIniDocument::insertSlot(const Block &block, KeySlot slot)
{
    growKeyTableIfFull(block);
    const qsizetype mask = block.keyTable.size() - 1;
    KeySlot *table = block.keyTable.data();
    qsizetype i = slot.hash & mask;
    while (table[i].pos >= 0)
        i = (i + 1) & mask;
    table[i] = slot;
    ++block.keyCount;
}

bool TIniDocument::IsEmpty() const
{
    for (const Block &b : m_blocks)
        if (!b.erased && (b.hasHeader || !b.lines.isEmpty()))
            return false;
    return true;
}

QByteArray TIniDocument::Serialize() const
{
    // A document made by writing alone usually has its lines one after
    // another in the written bytes, each with its line end: those bytes are
    // the file, shared without a copy.
    {
        qsizetype next = 0;
        bool inOrder = true;
        auto follows = [&](const Line &line) {
            inOrder = inOrder && line.offset == -next - 1;
            next += line.size + 2;
        };
        for (const Block &b : m_blocks) {
            if (b.hasHeader)
                follows(b.header);
            for (const Line &line : b.lines)
                follows(line);
            if (!inOrder)
                break;
        }
        if (inOrder && next == m_added.size())
            return m_added;
    }
    qsizetype size = 0;
    for (const Block &b : m_blocks) {
        if (b.hasHeader)
            size += b.header.size + 2;
        for (const Line &line : b.lines)
            size += line.size + 2;
    }
    QByteArray out(size, Qt::Uninitialized);
    char *dst = out.data();
    auto put = [&](const Line &line) {
        const QByteArrayView text = lineAt(line);
        if (!text.isEmpty())
            std::memcpy(dst, text.data(), size_t(text.size()));
        dst += text.size();
        *dst++ = '\r';
        *dst++ = '\n';
    };
    for (const Block &b : m_blocks) {
        if (b.hasHeader)
            put(b.header);
        for (const Line &line : b.lines)
            put(line);
    }
    return out;
}

qsizetype TIniDocument::findBlockIndex(QByteArrayView section) const
{
    if (m_lastBlock >= 0 && section.size() == m_lastSection.size()
        && std::memcmp(section.data(), m_lastSection.constData(), size_t(section.size())) == 0)
        return m_lastBlock;
    FoldBuffer buffer;
    const QByteArrayView folded = fold(trimmed(section), buffer, m_names);
    const qsizetype block = findSection(folded, keyHash(folded));
    if (block < 0)
        return -1;
    // Reuses the buffer: readers switch sections all the time.
    m_lastSection.resize(section.size());
    std::memcpy(m_lastSection.data(), section.data(), size_t(section.size()));
    m_lastBlock = block;
    return m_lastBlock;
}

std::optional<QByteArrayView> TIniDocument::ValueView(
    QByteArrayView section, QByteArrayView key) const
{
    const qsizetype block = findBlockIndex(section);
    if (block < 0)
        return std::nullopt;
    FoldBuffer buffer;
    const QByteArrayView folded = fold(trimmed(key), buffer, m_names);
    const Block &b = m_blocks.at(block);
    const qsizetype pos = findKey(b, folded, keyHash(folded));
    if (pos < 0)
        return std::nullopt;
    return keyValue(lineAt(b, pos));
}

QByteArrayView TIniDocument::valueOfName(const Block &block, qsizetype pos) const
{
    ensureIndexed(block);
    if (!block.repeatedKeys)
        return keyValue(lineAt(block, pos));
    FoldBuffer buffer;
    const QByteArrayView folded = fold(keyNameAt(block, pos), buffer, m_names);
    const qsizetype first = findKey(block, folded, keyHash(folded));
    return keyValue(lineAt(block, first >= 0 ? first : pos));
}

std::optional<QByteArray> TIniDocument::Value(QByteArrayView section, QByteArrayView key) const
{
    if (const auto v = ValueView(section, key))
        return v->toByteArray();
    return std::nullopt;
}

qsizetype TIniDocument::KeyCount(QByteArrayView section) const
{
    const qsizetype block = findBlockIndex(section);
    return block < 0 ? 0 : m_blocks.at(block).keyLines.size();
}

bool TIniDocument::SetValue(QByteArrayView section, QByteArrayView key, QByteArrayView value)
{
    section = trimmed(section);
    key = trimmed(key);
    if (section.isEmpty() || !writableKey(key) || hasLineEnd(value))
        return false;
    // A section found in the document has no line end in its name: only a
    // new one needs the look.
    qsizetype blockIndex = findBlockIndex(section);
    if (blockIndex < 0 && hasLineEnd(section))
        return false;

    QByteArray quoted;
    value = quotedIfNeeded(value, quoted);

    if (blockIndex < 0) {
        // Its lists and key table are not grown one key at a time.
        blockIndex = addFreshSection(section, FreshSectionKeys);
        m_blocks[blockIndex].keyTable = QList<KeySlot>(FreshKeyTable);
    }
    Block &block = m_blocks[blockIndex];

    FoldBuffer buffer;
    const QByteArrayView folded = fold(key, buffer, m_names);
    const quint32 hash = keyHash(folded);
    const qsizetype existing = findKey(block, folded, hash);
    if (existing >= 0) {
        // Keeps the key text and the spacing around "=" as they were. The
        // line is put together aside: the old one and the value may lie in
        // the written lines, which storing moves.
        const QByteArrayView old = lineAt(block, existing);
        const qsizetype eq = old.indexOf('=');
        QVarLengthArray<char, 256> line;
        if (eq < 0) {
            qsizetype end = old.size();
            while (end > 0 && isBlank(old[end - 1]))
                --end;
            line.append(old.data(), end);
            line.append('=');
        } else {
            qsizetype start = eq + 1;
            while (start < old.size() && isBlank(old[start]))
                ++start;
            line.append(old.data(), start);
        }
        line.append(value.data(), value.size());
        block.lines[existing]
            = storeLine(QByteArrayView(line.constData(), line.size()), &block.lines[existing]);
    } else {
        const qsizetype pos = block.keyLines.isEmpty() ? 0 : block.keyLines.last() + 1;
        const Line stored = storeKeyLine(key, value);
        if (pos == block.lines.size())
            block.lines.append(stored);
        else
            block.lines.insert(pos, stored);
        block.keyLines.append(qint32(pos));
        insertSlot(block, KeySlot {hash, qint32(pos)});
    }
    m_modified = true;
    compact();
    return true;
}

qsizetype TIniDocument::addFreshSection(QByteArrayView section, qsizetype keys)
{
    Block fresh;
    fresh.hasHeader = true;
    fresh.lines.reserve(keys);
    fresh.keyLines.reserve(keys);
    QVarLengthArray<char, 256> header;
    header.append('[');
    header.append(section.data(), section.size());
    header.append(']');
    fresh.header = storeLine(QByteArrayView(header.constData(), header.size()));
    fresh.setName(QByteArrayView(header.constData(), header.size()),
        QByteArrayView(header.constData() + 1, section.size()));
    m_blocks.append(std::move(fresh));
    addSection(m_blocks.size() - 1);
    return m_blocks.size() - 1;
}

TIniDocument::TSectionWriter TIniDocument::WriteSection(
    QByteArrayView section, qsizetype expectedKeys)
{
    section = trimmed(section);
    EraseSection(section);
    return TSectionWriter(*this, section, expectedKeys);
}

bool TIniDocument::TSectionWriter::Add(QByteArrayView key, QByteArrayView value)
{
    key = trimmed(key);
    if (!writableKey(key) || hasLineEnd(value))
        return false;
    if (m_block < 0) {
        if (m_section.isEmpty() || hasLineEnd(m_section))
            return false;
        m_block = m_doc.addFreshSection(m_section, std::max<qsizetype>(m_expectedKeys, 1));
        // The key table is made when a lookup first needs it: a writer that
        // writes whole sections never looks them up.
        m_doc.m_blocks[m_block].indexed = false;
    }
    const Line stored = m_doc.storeKeyLine(key, quotedIfNeeded(value, m_quoted));
    Block &block = m_doc.m_blocks[m_block];
    block.keyLines.append(qint32(block.lines.size()));
    block.lines.append(stored);
    m_doc.m_modified = true;
    m_doc.compact();
    return true;
}

void TIniDocument::EraseSection(QByteArrayView section)
{
    FoldBuffer buffer;
    const QByteArrayView folded = fold(trimmed(section), buffer, m_names);
    const quint32 hash = keyHash(folded);
    qsizetype index = findSection(folded, hash);
    if (index < 0)
        return;
    // The slot is marked erased; the table drops the mark when it grows.
    const qsizetype mask = m_sectionTable.size() - 1;
    for (qsizetype i = hash & mask;; i = (i + 1) & mask)
        if (m_sectionTable[i].pos == index) {
            m_sectionTable[i].pos = -2;
            break;
        }
    while (index >= 0) {
        Block &block = m_blocks[index];
        const qsizetype next = block.nextSame;
        dropLine(block.header);
        for (const Line &line : std::as_const(block.lines))
            dropLine(line);
        block = Block();
        block.erased = true;
        index = next;
    }
    m_lastBlock = -1;
    m_modified = true;
    compact();
}

QByteArray TIniDocument::FoldedName(QByteArrayView name, TNames names)
{
    FoldBuffer buffer;
    return fold(trimmed(name), buffer, names).toByteArray();
}

bool TIniDocument::AppendLine(QByteArrayView line)
{
    if (hasLineEnd(line))
        return false;
    addLine(storeLine(line));
    m_modified = true;
    return true;
}
