// Build-time converter: writes a PNG of an XPM picture source.
#include <QGuiApplication>
#include <QImage>

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: xpm2png SOURCE.xpm TARGET.png\n");
        return 2;
    }
    QImage image;
    if (!image.load(QString::fromLocal8Bit(argv[1]), "XPM") || !image.save(QString::fromLocal8Bit(argv[2]), "PNG")) {
        std::fprintf(stderr, "xpm2png: cannot convert %s\n", argv[1]);
        return 1;
    }
    return 0;
}
