// Draws the sample device's app icons (scripts/make-device): glossy rounded
// squares with a picture, as the era's apps had. Reads one icon a line from
// standard input,
//
//   SHAPE RED GREEN BLUE SIDE OUTPUT_FILE
//
// and writes each as raw pixels, four bytes (red, green, blue, alpha, not
// premultiplied) a pixel, rows top down, for the caller to store in the form
// the device holds it in (standard or optimised PNG).
//
//   nestora_draw_sample_icons < list

#include <QGuiApplication>

#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "resources/art/GlossyIcon.h"
#include "resources/art/IconShapes.h"

int main(int argc, char** argv) {
    QGuiApplication application(argc, argv);
    int status = 0;
    std::string line;
    while (std::getline(std::cin, line)) {
        std::istringstream fields(line);
        std::string shapeName;
        std::string output;
        int red = 0;
        int green = 0;
        int blue = 0;
        int side = 0;
        if (!(fields >> shapeName >> red >> green >> blue >> side) || !std::getline(fields >> std::ws, output) ||
            side < 1 || side > 1024) {
            std::fprintf(stderr, "nestora_draw_sample_icons: cannot read the line: %s\n", line.c_str());
            status = 2;
            continue;
        }
        const auto shape = nestora::art::shapeNamed(shapeName);
        if (!shape) {
            std::fprintf(stderr, "nestora_draw_sample_icons: no shape %s\n", shapeName.c_str());
            status = 2;
            continue;
        }
        const QImage icon = nestora::art::glossyIcon(side, QColor(red, green, blue), nestora::art::whiteShape(*shape))
                                .convertToFormat(QImage::Format_RGBA8888);
        std::ofstream out(output, std::ios::binary);
        for (int y = 0; y < icon.height(); ++y) {
            out.write(reinterpret_cast<const char*>(icon.constScanLine(y)), static_cast<std::streamsize>(side) * 4);
        }
        if (!out) {
            std::fprintf(stderr, "nestora_draw_sample_icons: cannot write %s\n", output.c_str());
            status = 1;
        }
    }
    return status;
}
