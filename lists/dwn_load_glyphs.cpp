// The pictures of the download-list window's context commands, 24 x 24
// pixels, under the names the window asks for.

#include "lists/dwn_load_glyphs.h"

#include <QPixmap>

#include <algorithm>
#include <iterator>

namespace {

// Every picture is 24 rows of 24 pixels in this one palette: transparent,
// black, grey, silver, white, yellow, blue and green.
constexpr int Rows = 24;
const char* const Palette[] = {
    "24 24 8 1", ". c None", "k c #000000", "g c #808080", "s c #C0C0C0", "w c #FFFFFF",
    "y c #FFD040", "b c #2050C0", "n c #10A030",
};
constexpr int PaletteLines = int(std::size(Palette));

QPixmap FromRows(const char* const (&rows)[Rows])
{
    const char* xpm[PaletteLines + Rows];
    std::copy(std::begin(Palette), std::end(Palette), xpm);
    std::copy(std::begin(rows), std::end(rows), xpm + PaletteLines);
    return QPixmap(xpm);
}

const char* const xpmDWNARROW[Rows] = {
    "........................",
    "........................",
    "........................",
    "..........kkkk..........",
    ".........kbbbbk.........",
    ".........kbbbbk.........",
    ".........kbbbbk.........",
    ".........kbbbbk.........",
    ".........kbbbbk.........",
    ".........kbbbbk.........",
    ".........kbbbbk.........",
    ".........kbbbbk.........",
    ".....kkkkkbbbbkkkkk.....",
    "....kbbbbbbbbbbbbbbk....",
    ".....kbbbbbbbbbbbbk.....",
    "......kbbbbbbbbbbk......",
    ".......kbbbbbbbbk.......",
    "........kbbbbbbk........",
    ".........kbbbbk.........",
    ".........kbbbbk.........",
    "..........kkkk..........",
    "........................",
    "........................",
    "........................",
};

const char* const xpmUPARROW[Rows] = {
    "........................",
    "........................",
    "........................",
    "..........kkkk..........",
    ".........knnnnk.........",
    ".........knnnnk.........",
    "........knnnnnnk........",
    ".......knnnnnnnnk.......",
    "......knnnnnnnnnnk......",
    ".....knnnnnnnnnnnnk.....",
    "....knnnnnnnnnnnnnnk....",
    ".....kkkkknnnnkkkkk.....",
    ".........knnnnk.........",
    ".........knnnnk.........",
    ".........knnnnk.........",
    ".........knnnnk.........",
    ".........knnnnk.........",
    ".........knnnnk.........",
    ".........knnnnk.........",
    ".........knnnnk.........",
    "..........kkkk..........",
    "........................",
    "........................",
    "........................",
};

const char* const xpmComplete[Rows] = {
    "........................",
    "........................",
    "....kkkkkkkkkkkkkkk.....",
    "....kwwwwwwwwwwwwwk.....",
    "....kwwwwwwwwwwwwwk.....",
    "....kwngggggggggwwk.....",
    "....kwwwwwwwwwwwwwk.....",
    "....kwwwwwwwwwwwwwk.....",
    "....kwngggggggggwwk.....",
    "....kwwwwwwwwwwwwwk.....",
    "....kwwwwwwwwwwwwwk.....",
    "....kwngggggggggwwk.....",
    "....kwwwwwwwwwwwwwk.....",
    "....kwwwwwwwwwwwwwk.....",
    "....kwngggggggggwwk.....",
    "....kwwwwwwwwwwwwwk.....",
    "....kwwwwwwwwwwwwwk.....",
    "....kwngggggggggwwk.....",
    "....kwwwwwwwwwwwwwk.....",
    "....kwwwwwwwwwwwwwk.....",
    "....kwwwwwwwwwwwwwk.....",
    "....kkkkkkkkkkkkkkk.....",
    "........................",
    "........................",
};

const char* const xpmCompress[Rows] = {
    "...........kk...........",
    "..........kbbk..........",
    "..........kbbk..........",
    "..........kbbk..........",
    "..........kbbk..........",
    ".........kbbbbk.........",
    "........kbbbbbbk........",
    ".......kbbbbbbbbk.......",
    "......kbbbbbbbbbbk......",
    ".......kkkkkkkkkk.......",
    "........................",
    "...kkkkkkkkkkkkkkkkkk...",
    "...kkkkkkkkkkkkkkkkkk...",
    "........................",
    ".......kkkkkkkkkk.......",
    "......kbbbbbbbbbbk......",
    ".......kbbbbbbbbk.......",
    "........kbbbbbbk........",
    ".........kbbbbk.........",
    "..........kbbk..........",
    "..........kbbk..........",
    "..........kbbk..........",
    "..........kbbk..........",
    "...........kk...........",
};

const char* const xpmCHECK[Rows] = {
    "........................",
    "........................",
    "........................",
    "........................",
    "....................kk..",
    "...................knnk.",
    "..................knnnk.",
    ".................knnnnk.",
    "................knnnnk..",
    "...............knnnnk...",
    "....kk........knnnnk....",
    "...knnk......knnnnk.....",
    "...knnnk....knnnnk......",
    "...knnnnk..knnnnk.......",
    "....knnnnkknnnnk........",
    ".....knnnnnnnnk.........",
    "......knnnnnnk..........",
    ".......knnnnk...........",
    "........knnk............",
    ".........kk.............",
    "........................",
    "........................",
    "........................",
    "........................",
};

const char* const xpmINVERTER[Rows] = {
    "........................",
    ".....kkkkkkkkkkkkkk.....",
    ".....kssssssssssssk.....",
    ".....kskkkkkkkkkksk.....",
    ".....kskyyyyyyyyksk.....",
    ".....kskyyyyyyyyksk.....",
    ".....kskyyyyyyyyksk.....",
    ".....kskyyyyyyyyksk.....",
    ".....kskkkkkkkkkksk.....",
    ".....kssssssssssssk.....",
    ".....kssssssssssssk.....",
    ".....ksskkskkskkssk.....",
    ".....kssssssssssssk.....",
    ".....kssssssssssssk.....",
    ".....ksskkskkskkssk.....",
    ".....kssssssssssssk.....",
    ".....kssssssssssssk.....",
    ".....ksskkskkskkssk.....",
    ".....kssssssssssssk.....",
    ".....ksssggggggsssk.....",
    ".....ksssggggggsssk.....",
    ".....kssssssssssssk.....",
    ".....kkkkkkkkkkkkkk.....",
    "........................",
};
}  // namespace

QPixmap DwnGlyph(const QString& Name)
{
    static const struct {
        const char* name;
        const char* const (&rows)[Rows];
    } table[] = {
        {"DWNARROW", xpmDWNARROW}, {"UPARROW", xpmUPARROW}, {"Complete", xpmComplete},
        {"Compress", xpmCompress}, {"CHECK", xpmCHECK},     {"INVERTER", xpmINVERTER},
    };
    for (const auto& g : table)
        if (Name == QLatin1String(g.name))
            return FromRows(g.rows);
    return QPixmap();
}
