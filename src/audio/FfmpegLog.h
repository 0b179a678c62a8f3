#pragma once

// FFmpeg's own messages ("[mp3float @ 0x...] ...") go to the trace log, when it is open, instead
// of the terminal. Called before any FFmpeg work; calling it again does nothing.
void RouteFfmpegLogToTrace();
