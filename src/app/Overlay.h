// Text over the picture in the author's mode: the message of a failed reload, warnings. It
// draws on the device after the show's frame and puts back every state it changes, so the
// show's next frame is drawn exactly as without it.
#pragma once

#include "gfx/Mesh.h"
#include "gfx/Texture.h"

#include <memory>
#include <string>

namespace zamp {

class Device;

class Overlay {
public:
    // Shows `text` from now on (an empty text shows nothing); made into a picture once here.
    void setText(Device& device, const std::string& text, int backBufferWidth);
    const std::string& text() const { return text_; }
    // Draws the text at the top-left of the back buffer, on a dark box.
    void draw(Device& device, int backBufferWidth, int backBufferHeight);

private:
    std::string text_;
    std::unique_ptr<Texture> picture_;
    std::unique_ptr<Mesh> quad_;
};

} // namespace zamp
