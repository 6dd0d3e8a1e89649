// The pictures of the download-list window's context commands, 24 x 24
// pixels, under the names the window asks for.

#include "lists/dwn_load_glyphs.h"

#include <QPixmap>

namespace {

static const char* const xpmDWNARROW[] = {
    "24 24 8 1", ". c None", "k c #000000", "g c #808080", "s c #C0C0C0", "w c #FFFFFF",
    "y c #FFD040", "b c #2050C0", "n c #10A030",
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

static const char* const xpmUPARROW[] = {
    "24 24 8 1", ". c None", "k c #000000", "g c #808080", "s c #C0C0C0", "w c #FFFFFF",
    "y c #FFD040", "b c #2050C0", "n c #10A030",
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

static const char* const xpmComplete[] = {
    "24 24 8 1", ". c None", "k c #000000", "g c #808080", "s c #C0C0C0", "w c #FFFFFF",
    "y c #FFD040", "b c #2050C0", "n c #10A030",
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

static const char* const xpmCompress[] = {
    "24 24 8 1", ". c None", "k c #000000", "g c #808080", "s c #C0C0C0", "w c #FFFFFF",
    "y c #FFD040", "b c #2050C0", "n c #10A030",
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

static const char* const xpmCHECK[] = {
    "24 24 8 1", ". c None", "k c #000000", "g c #808080", "s c #C0C0C0", "w c #FFFFFF",
    "y c #FFD040", "b c #2050C0", "n c #10A030",
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

static const char* const xpmINVERTER[] = {
    "24 24 8 1", ". c None", "k c #000000", "g c #808080", "s c #C0C0C0", "w c #FFFFFF",
    "y c #FFD040", "b c #2050C0", "n c #10A030",
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
        const char* const* xpm;
    } table[] = {
        {"DWNARROW", xpmDWNARROW}, {"UPARROW", xpmUPARROW}, {"Complete", xpmComplete},
        {"Compress", xpmCompress}, {"CHECK", xpmCHECK},     {"INVERTER", xpmINVERTER},
    };
    for (const auto& g : table)
        if (Name == QLatin1String(g.name))
            return QPixmap(g.xpm);
    return QPixmap();
}
