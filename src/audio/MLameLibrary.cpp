#include "audio/MLameLibrary.h"

#include <dlfcn.h>

#include <QFile>

MLameLibrary::MLameLibrary(const QString& fileName) : fileName_(fileName) {}

MLameLibrary::~MLameLibrary() {
    Unload();
}

MLameLibrary& MLameLibrary::Shared() {
    static MLameLibrary library;
    return library;
}

MStatus MLameLibrary::Load() {
    if (handle_ == nullptr) {
        handle_ = dlopen(QFile::encodeName(fileName_).constData(), RTLD_NOW | RTLD_LOCAL);
        if (handle_ == nullptr) {
            const char* why = dlerror();
            return MStatus::Failure(why != nullptr ? QString::fromLocal8Bit(why)
                                                   : fileName_ + QStringLiteral(": cannot load"));
        }
    }
    return MStatus::Ok();
}

void MLameLibrary::Unload() {
    fn_ = Functions();
    if (handle_ != nullptr) {
        dlclose(handle_);
        handle_ = nullptr;
    }
}

MStatus MLameLibrary::Bind() {
    fn_ = Functions();
    if (handle_ == nullptr) {
        return MStatus::Failure(QStringLiteral("Error: MP3 Support not initialized."),
                                MStatus::Icon::Error);
    }
    auto bind = [this](auto& function, const char* name) {
        function =
            reinterpret_cast<std::remove_reference_t<decltype(function)>>(dlsym(handle_, name));
    };
    bind(fn_.lame_init, "lame_init");
    bind(fn_.lame_init_params, "lame_init_params");
    bind(fn_.lame_set_in_samplerate, "lame_set_in_samplerate");
    bind(fn_.lame_set_num_channels, "lame_set_num_channels");
    bind(fn_.lame_set_brate, "lame_set_brate");
    bind(fn_.lame_encode_buffer_interleaved, "lame_encode_buffer_interleaved");
    bind(fn_.lame_encode_flush, "lame_encode_flush");
    bind(fn_.lame_close, "lame_close");
    bind(fn_.id3tag_init, "id3tag_init");
    bind(fn_.id3tag_set_title, "id3tag_set_title");
    bind(fn_.id3tag_set_artist, "id3tag_set_artist");
    bind(fn_.id3tag_add_v2, "id3tag_add_v2");
    bind(fn_.id3tag_set_textinfo_utf16, "id3tag_set_textinfo_utf16");
    bind(fn_.lame_get_lametag_frame, "lame_get_lametag_frame");
    return MStatus::Ok();
}

bool MLameLibrary::IsComplete() const {
    return handle_ != nullptr && fn_.lame_init != nullptr && fn_.lame_init_params != nullptr &&
           fn_.lame_set_in_samplerate != nullptr && fn_.lame_set_num_channels != nullptr &&
           fn_.lame_encode_buffer_interleaved != nullptr && fn_.lame_encode_flush != nullptr &&
           fn_.lame_close != nullptr;
}
