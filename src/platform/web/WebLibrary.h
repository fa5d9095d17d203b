// The functions of library.js, the JavaScript half of the web back end.
#pragma once

extern "C" {

int zamp_audio_silent();
// A track id; the stream's bytes are copied.
int zamp_track_new_stream(const unsigned char* bytes, int length);
// A track whose samples come from zamp_web_module_render(owner, ...).
int zamp_track_new_module(void* owner);
void zamp_track_play(int id, double fromSeconds);
void zamp_track_fade(int id, int milliseconds);
void zamp_track_pause(int id, int paused);
void zamp_track_seek(int id, double seconds);
// Seconds of music played since its beginning, counting on through loops.
double zamp_track_position(int id);
// Bit 1: playing; bit 2: fading out.
int zamp_track_state(int id);
void zamp_track_stop(int id);
void zamp_track_free(int id);

void zamp_page_message(const char* caption, const char* text);
void zamp_page_show();
void zamp_page_ended();
}
