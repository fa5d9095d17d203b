// One frame of a show: the back buffer cleared to black, then every layer visible at the demo
// time, captures first. Presenting it is the caller's business.
#pragma once

namespace zamp {

class Show;
struct RenderContext;

void composeFrame(Show& show, float demoTime, RenderContext& context);

} // namespace zamp
