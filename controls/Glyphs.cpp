#include "Glyphs.h"

// The resources sit in a static library: nothing would pull them into the
// program unless something refers to them.
static void initIconResources()
{
    Q_INIT_RESOURCE(icons);
}

void TGlyphs::Load()
{
    static const bool loaded = [] {
        initIconResources();
        return true;
    }();
    Q_UNUSED(loaded);
}

static QIcon glyph(const QString &name)
{
    TGlyphs::Load();
    return QIcon(QStringLiteral(":/icons/") + name);
}

QIcon TGlyphs::Add()
{
    return glyph(QStringLiteral("add.svg"));
}

QIcon TGlyphs::Edit()
{
    return glyph(QStringLiteral("edit.svg"));
}

QIcon TGlyphs::Delete()
{
    return glyph(QStringLiteral("delete.svg"));
}

QIcon TGlyphs::Sort()
{
    return glyph(QStringLiteral("sort.svg"));
}

QIcon TGlyphs::TakeOver()
{
    return glyph(QStringLiteral("takeover.svg"));
}
