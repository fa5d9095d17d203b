#include "show/Frame.h"

#include "gfx/Device.h"
#include "show/RenderContext.h"
#include "show/Show.h"

namespace zamp {

void composeFrame(Show& show, float demoTime, RenderContext& context) {
    context.device.clear(D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    show.layers.render(demoTime, context);
}

} // namespace zamp
