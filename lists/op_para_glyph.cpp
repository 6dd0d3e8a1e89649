#include "lists/op_para_glyph.h"

namespace {

// An inverter: a grey housing with a display and a terminal row.
const char* const inverter_xpm[] = {
    "24 24 6 1",
    ". c None",
    "k c #000000",
    "g c #808080",
    "s c #C0C0C0",
    "n c #10A030",
    "y c #FFD040",
    "........................",
    "......kkkkkkkkkkkk......",
    "......kssssssssssk......",
    "......kskkkkkkkksk......",
    "......ksknnnnnnksk......",
    "......ksknnnnnnksk......",
    "......kskkkkkkkksk......",
    "......kssssssssssk......",
    "......ksggssssggsk......",
    "......ksggssssggsk......",
    "......kssssssssssk......",
    "......kssssyyssssk......",
    "......kssssyyssssk......",
    "......kssssssssssk......",
    "......kssssssssssk......",
    "......kssssssssssk......",
    "......kssssssssssk......",
    "......kgkgkgkgkgkk......",
    "......kssssssssssk......",
    "......kkkkkkkkkkkk......",
    "........k......k........",
    "........k......k........",
    "........................",
    "........................",
};

} // namespace

QPixmap InverterGlyph()
{
    return QPixmap(inverter_xpm);
}
