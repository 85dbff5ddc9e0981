#include "IniDocument.h"

#include "Cp1252.h"

#include <QVarLengthArray>

#include <cstring>

namespace {

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

bool hasLineEnd(QByteArrayView s)
{
    return s.contains('\r') || s.contains('\n');
}

// Names are looked up by their folded bytes; short names are folded on the
// stack so that a lookup allocates nothing.
using FoldBuffer = QVarLengthArray<char, 128>;

QByteArray foldedKey(QByteArrayView name, FoldBuffer &buffer)
{
    buffer.resize(name.size());
    for (qsizetype i = 0; i < name.size(); ++i)
        buffer[i] = static_cast<char>(Cp1252::foldByte(static_cast<unsigned char>(name[i])));
    return QByteArray::fromRawData(buffer.constData(), buffer.size());
}

QByteArray folded(QByteArrayView name)
{
    QByteArray out(name.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < name.size(); ++i)
        out[i] = static_cast<char>(Cp1252::foldByte(static_cast<unsigned char>(name[i])));
    return out;
}

// The name of a section header line, or nothing when the line is none.
std::optional<QByteArrayView> headerName(QByteArrayView line)
{
    const QByteArrayView t = trimmed(line);
    if (t.isEmpty() || t[0] != '[')
        return std::nullopt;
    const qsizetype close = t.lastIndexOf(']');
    if (close < 1)
        return std::nullopt;
    return trimmed(t.sliced(1, close - 1));
}

// The name of a key line (empty when the line is no key) inside a section.
QByteArrayView keyName(QByteArrayView line)
{
    const QByteArrayView t = trimmed(line);
    if (t.isEmpty() || t[0] == ';')
        return {};
    const qsizetype eq = t.indexOf('=');
    return eq < 0 ? t : trimmed(t.first(eq));
}

// The value of a key line as Windows returns it.
QByteArrayView keyValue(QByteArrayView line)
{
    const qsizetype eq = line.indexOf('=');
    if (eq < 0)
        return {};
    QByteArrayView v = trimmed(line.sliced(eq + 1));
    if (v.size() >= 2 && (v[0] == '"' || v[0] == '\'') && v.back() == v[0])
        v = v.sliced(1, v.size() - 2);
    return v;
}

} // namespace

TIniDocument TIniDocument::Parse(QByteArrayView bytes)
{
    TIniDocument doc;
    const char *p = bytes.data();
    const char *const end = p + bytes.size();
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
        doc.addLine(QByteArray(p, lineEnd - p));
        if (lineEnd == end)
            break;
        p = lineEnd + 1;
        if (*lineEnd == '\r' && p < end && *p == '\n')
            ++p;
    }
    return doc;
}

void TIniDocument::addLine(QByteArray line)
{
    if (const auto name = headerName(line)) {
        const qsizetype index = m_blocks.size();
        m_sections[folded(*name)].append(index);
        Block block;
        block.hasHeader = true;
        block.lines.append(std::move(line));
        m_blocks.append(std::move(block));
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
    const qsizetype pos = block.lines.size();
    if (block.hasHeader) {
        const QByteArrayView name = keyName(line);
        if (!name.isEmpty()) {
            block.keyLines.append(pos);
            QByteArray key = folded(name);
            if (!block.keyIndex.contains(key))
                block.keyIndex.insert(std::move(key), pos);
        }
    }
    block.lines.append(std::move(line));
}

bool TIniDocument::IsEmpty() const
{
    for (const Block &b : m_blocks)
        if (!b.erased && !b.lines.isEmpty())
            return false;
    return true;
}

QByteArray TIniDocument::Serialize() const
{
    qsizetype size = 0;
    for (const Block &b : m_blocks)
        for (const QByteArray &line : b.lines)
            size += line.size() + 2;
    QByteArray out;
    out.reserve(size);
    for (const Block &b : m_blocks) {
        for (const QByteArray &line : b.lines) {
            out.append(line);
            out.append("\r\n", 2);
        }
    }
    return out;
}

const TIniDocument::Block *TIniDocument::findBlock(QByteArrayView section) const
{
    FoldBuffer buffer;
    const auto it = m_sections.constFind(foldedKey(trimmed(section), buffer));
    return it == m_sections.constEnd() ? nullptr : &m_blocks[it->constFirst()];
}

TIniDocument::Block *TIniDocument::findBlock(QByteArrayView section)
{
    return const_cast<Block *>(std::as_const(*this).findBlock(section));
}

std::optional<QByteArrayView> TIniDocument::ValueView(QByteArrayView section, QByteArrayView key) const
{
    const Block *block = findBlock(section);
    if (!block)
        return std::nullopt;
    FoldBuffer buffer;
    const auto it = block->keyIndex.constFind(foldedKey(trimmed(key), buffer));
    if (it == block->keyIndex.constEnd())
        return std::nullopt;
    return keyValue(block->lines.at(*it));
}

std::optional<QByteArray> TIniDocument::Value(QByteArrayView section, QByteArrayView key) const
{
    if (const auto v = ValueView(section, key))
        return v->toByteArray();
    return std::nullopt;
}

QList<QByteArray> TIniDocument::Keys(QByteArrayView section) const
{
    QList<QByteArray> keys;
    if (const Block *block = findBlock(section)) {
        keys.reserve(block->keyLines.size());
        for (qsizetype pos : block->keyLines)
            keys.append(keyName(block->lines.at(pos)).toByteArray());
    }
    return keys;
}

bool TIniDocument::HasSection(QByteArrayView section) const
{
    return findBlock(section) != nullptr;
}

bool TIniDocument::SetValue(QByteArrayView section, QByteArrayView key, QByteArrayView value)
{
    section = trimmed(section);
    key = trimmed(key);
    if (section.isEmpty() || key.isEmpty() || hasLineEnd(section) || hasLineEnd(key)
        || hasLineEnd(value) || key.contains('=') || key[0] == ';' || key[0] == '[')
        return false;

    Block *block = findBlock(section);
    if (!block) {
        Block fresh;
        fresh.hasHeader = true;
        fresh.lines.append('[' + section.toByteArray() + ']');
        m_sections[folded(section)].append(m_blocks.size());
        m_blocks.append(std::move(fresh));
        block = &m_blocks.last();
    }

    FoldBuffer buffer;
    const auto it = block->keyIndex.constFind(foldedKey(key, buffer));
    if (it != block->keyIndex.constEnd()) {
        // Keeps the key text and the spacing around "=" as they were.
        QByteArray &line = block->lines[*it];
        const qsizetype eq = line.indexOf('=');
        qsizetype start;
        if (eq < 0) {
            start = line.size();
            while (start > 0 && isBlank(line[start - 1]))
                --start;
            line.truncate(start);
            line.append('=');
            start = line.size();
        } else {
            start = eq + 1;
            while (start < line.size() && isBlank(line[start]))
                ++start;
        }
        line.truncate(start);
        line.append(value.data(), value.size());
    } else {
        const qsizetype pos = block->keyLines.isEmpty() ? 1 : block->keyLines.last() + 1;
        QByteArray line;
        line.reserve(key.size() + 1 + value.size());
        line.append(key.data(), key.size()).append('=').append(value.data(), value.size());
        block->lines.insert(pos, std::move(line));
        block->keyLines.append(pos);
        block->keyIndex.insert(folded(key), pos);
    }
    m_modified = true;
    return true;
}

void TIniDocument::EraseSection(QByteArrayView section)
{
    FoldBuffer buffer;
    const auto it = m_sections.find(foldedKey(trimmed(section), buffer));
    if (it == m_sections.end())
        return;
    for (qsizetype index : std::as_const(*it)) {
        Block &block = m_blocks[index];
        block = Block();
        block.erased = true;
    }
    m_sections.erase(it);
    m_modified = true;
}

bool TIniDocument::AppendLine(QByteArrayView line)
{
    if (hasLineEnd(line))
        return false;
    addLine(line.toByteArray());
    m_modified = true;
    return true;
}
