#pragma once

#include <QString>

// The other side of the video export figure: the frames the MP4 export makes of a project,
// decoded and kept in memory first, then handed as raw 1280 x 720 Y'CbCr 4:2:0 video through a
// pipe to the ffmpeg program, which encodes them with the export's codec settings (and the work
// WAV as AAC). Prints the microseconds from starting ffmpeg to its end, the CPU time the feeding
// took and the CPU time ffmpeg took, as "ffmpeg_us feed_cpu_us ffmpeg_cpu_us". Returns 0 on
// success.
class VideoFeed {
public:
    static int Run(const QString& projectPath, const QString& outputPath);
};
