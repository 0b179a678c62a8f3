#include "cli/PngWriter.h"

#include <png.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <csetjmp>
#include <cstdio>

#include <cerrno>
#include <cstring>

#include "base/MStagedFile.h"

namespace {

// libpng's own remarks would reach the terminal; a failure is reported by the caller instead.
void OnPngError(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}
void OnPngWarning(png_structp, png_const_charp) {}

bool WritePng(FILE* file, const uint8_t* indices, int width, int height,
              const std::array<MRgb, 16>& colours) {
    png_structp png =
        png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, OnPngError, OnPngWarning);
    if (png == nullptr) {
        return false;
    }
    png_infop info = png_create_info_struct(png);
    if (info == nullptr || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    // A frame of 16 colours compresses well with a light level.
    png_set_compression_level(png, 2);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_PALETTE, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_color palette[16];
    for (int i = 0; i < 16; ++i) {
        palette[i].red = static_cast<png_byte>(CdgColour::Red(colours[static_cast<size_t>(i)]));
        palette[i].green = static_cast<png_byte>(CdgColour::Green(colours[static_cast<size_t>(i)]));
        palette[i].blue = static_cast<png_byte>(CdgColour::Blue(colours[static_cast<size_t>(i)]));
    }
    png_set_PLTE(png, info, palette, 16);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y) {
        png_write_row(png, indices + static_cast<size_t>(y) * width);
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace

MStatus PngWriter::Write(const QString& path, const uint8_t* indices, int width, int height,
                         const std::array<MRgb, 16>& colours, const QStringList& inputs) {
    MStagedFile stage(path);
    if (MStatus s = stage.Create(inputs, true); !s) {
        return s;
    }
    FILE* file = std::fopen(QFile::encodeName(stage.TemporaryPath()).constData(), "wb");
    if (file == nullptr) {
        return MStatus::Failure(
            QStringLiteral("%1: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno))));
    }
    const bool written = WritePng(file, indices, width, height, colours);
    const int error = std::ferror(file) != 0 ? errno : 0;
    if (std::fclose(file) != 0 || !written) {
        return MStatus::Failure(QStringLiteral("%1: %2").arg(
            path, QString::fromLocal8Bit(std::strerror(error != 0 ? error : errno))));
    }
    return stage.Commit();
}
