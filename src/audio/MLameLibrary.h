#pragma once

#include <QString>

#include "base/MStatus.h"

// The LAME MP3 encoder library, loaded at run time and bound by function name, so that Quilm
// runs (without MP3 export) where the library is not installed.
class MLameLibrary {
public:
    struct Flags;  // LAME's lame_global_flags, opaque here
    struct Functions {
        Flags* (*lame_init)() = nullptr;
        int (*lame_init_params)(Flags*) = nullptr;
        int (*lame_set_in_samplerate)(Flags*, int) = nullptr;
        int (*lame_set_num_channels)(Flags*, int) = nullptr;
        int (*lame_set_brate)(Flags*, int) = nullptr;
        int (*lame_encode_buffer_interleaved)(Flags*, short int*, int, unsigned char*,
                                              int) = nullptr;
        int (*lame_encode_flush)(Flags*, unsigned char*, int) = nullptr;
        int (*lame_close)(Flags*) = nullptr;
        void (*id3tag_init)(Flags*) = nullptr;
        void (*id3tag_set_title)(Flags*, const char*) = nullptr;
        void (*id3tag_set_artist)(Flags*, const char*) = nullptr;
        // For the Unicode ID3v2 tag, when the library has them.
        void (*id3tag_add_v2)(Flags*) = nullptr;
        int (*id3tag_set_textinfo_utf16)(Flags*, const char*, const unsigned short*) = nullptr;
        // The info frame that tells readers the exact length; written over the first frame.
        size_t (*lame_get_lametag_frame)(const Flags*, unsigned char*, size_t) = nullptr;
    };

    static constexpr const char* kDefaultFileName = "libmp3lame.so.0";

    explicit MLameLibrary(const QString& fileName = QLatin1String(kDefaultFileName));
    virtual ~MLameLibrary();
    MLameLibrary(const MLameLibrary&) = delete;
    MLameLibrary& operator=(const MLameLibrary&) = delete;

    // The binding the application uses.
    static MLameLibrary& Shared();

    const QString& FileName() const { return fileName_; }
    // Loads the library (once); fails with the loader's reason.
    MStatus Load();
    void Unload();
    bool IsLoaded() const { return handle_ != nullptr; }
    // Looks the functions up by name. Fails with the message the user is shown when no library
    // is loaded.
    MStatus Bind();
    // True when every function the encoder cannot do without was found (the bit rate, ID3 and
    // info frame functions are used when present).
    bool IsComplete() const;
    const Functions& Fn() const { return fn_; }

private:
    QString fileName_;
    void* handle_ = nullptr;
    Functions fn_;
};
