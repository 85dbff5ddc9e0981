// Draws the SVG glyphs and the program symbol into the PNG and ICO files the
// Windows build uses, which has no SVG support. Run by render-icons.sh.
#include <QBuffer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QtEndian>

static QImage render(const QString &svg, int size)
{
    QSvgRenderer renderer(svg);
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter);
    return image;
}

static QByteArray png(const QImage &image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// An icon file of PNG images, one per size.
static bool writeIco(const QString &svg, const QString &out)
{
    const QList<int> sizes = {16, 24, 32, 48, 64, 128, 256};
    QByteArray dir, data;
    auto le16 = [](QByteArray &b, quint16 v) {
        b.append(char(v & 0xFF)).append(char(v >> 8));
    };
    auto le32 = [&](QByteArray &b, quint32 v) {
        le16(b, quint16(v));
        le16(b, quint16(v >> 16));
    };
    quint32 offset = 6 + 16 * quint32(sizes.size());
    for (int size : sizes) {
        const QByteArray image = png(render(svg, size));
        dir.append(char(size == 256 ? 0 : size)).append(char(size == 256 ? 0 : size));
        dir.append(char(0)).append(char(0));
        le16(dir, 1);
        le16(dir, 32);
        le32(dir, quint32(image.size()));
        le32(dir, offset);
        offset += quint32(image.size());
        data += image;
    }
    QByteArray head;
    le16(head, 0);
    le16(head, 1);
    le16(head, quint16(sizes.size()));
    QFile f(out);
    return f.open(QIODevice::WriteOnly) && f.write(head + dir + data) > 0;
}

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 4)
        return 2;
    // args: glyph folder, program symbol, output folder
    const QString glyphs = args[1], symbol = args[2], out = args[3];
    for (const char *name : {"add", "edit", "delete", "sort", "takeover"}) {
        const QString n = QString::fromLatin1(name);
        if (!render(glyphs + u'/' + n + QStringLiteral(".svg"), 64)
                 .save(out + u'/' + n + QStringLiteral(".png")))
            return 1;
    }
    return writeIco(symbol, out + QStringLiteral("/tarifeditor.ico")) ? 0 : 1;
}
