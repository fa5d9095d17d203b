#include "platform/ffmpeg/FfmpegHandles.h"

#include "core/Error.h"

#include <new>

namespace zamp::ffmpeg {

std::string errorText(int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

int check(int code, const std::string& path, const std::string& what) {
    if (code < 0) throw Error("Cannot write " + path + ": " + what + ": " + errorText(code));
    return code;
}

FramePtr newFrame() {
    FramePtr frame(av_frame_alloc());
    if (!frame) throw std::bad_alloc();
    return frame;
}

PacketPtr newPacket() {
    PacketPtr packet(av_packet_alloc());
    if (!packet) throw std::bad_alloc();
    return packet;
}

} // namespace zamp::ffmpeg
