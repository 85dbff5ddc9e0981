#pragma once

#include <QIcon>

// The toolbar glyphs (SVG, resource prefix "/icons"): add, edit, delete, sort, take over.
class TGlyphs
{
public:
    // Registers the icon resources; the glyph functions call it themselves.
    // Code that loads ":/icons/..." by name calls it once first.
    static void Load();

    static QIcon Add();
    static QIcon Edit();
    static QIcon Delete();
    static QIcon Sort();
    static QIcon TakeOver();
};
