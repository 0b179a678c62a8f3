#include "cli/PngWriter.h"

#include <png.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <csetjmp>
#include <cstdio>

#include <sys/stat.h>
#include <unistd.h>

namespace {

bool WritePng(FILE* file, const uint8_t* indices, int width, int height,
              const std::array<MRgb, 16>& colours) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
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

bool PngWriter::Write(const QString& path, const uint8_t* indices, int width, int height,
                      const std::array<MRgb, 16>& colours) {
    const QFileInfo target(path);
    const QByteArray finalName = QFile::encodeName(target.absoluteFilePath());
    QByteArray tempName =
        QFile::encodeName(target.absoluteDir().filePath(QStringLiteral(".quilm-XXXXXX")));
    const int fd = ::mkstemp(tempName.data());
    if (fd < 0) {
        return false;
    }
    FILE* file = ::fdopen(fd, "wb");
    if (file == nullptr) {
        ::close(fd);
        ::unlink(tempName.constData());
        return false;
    }
    const bool written = WritePng(file, indices, width, height, colours);
    const bool closed = std::fclose(file) == 0;
    // Temporary files are private; the picture gets the usual permissions.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    if (!written || !closed || ::chmod(tempName.constData(), 0666 & ~mask) != 0 ||
        std::rename(tempName.constData(), finalName.constData()) != 0) {
        ::unlink(tempName.constData());
        return false;
    }
    return true;
}
