// An image on the 1024 by 768 canvas, keyed in position, rotation, scale and colour.
#pragma once

#include "curves/LinearCurve.h"
#include "curves/TCBCurve.h"
#include "show/Layer.h"
#include "gfx/D3DTypes.h"

namespace zamp {

class ImageList;

class ImageLayer final : public Layer {
public:
    ImageLayer(ImageList& images, int imageIndex, DWORD srcBlend, DWORD destBlend)
        : images_(images), imageIndex(imageIndex), srcBlend(srcBlend), destBlend(destBlend) {}

    void render(float localTime, RenderContext& context) override;

    // The world matrix at a local time: scale, centre, rotate, place.
    Matrix worldMatrix(float localTime) const;

private:
    ImageList& images_;

public:
    const int imageIndex;
    const DWORD srcBlend, destBlend;
    TCBCurve<Vec2> position; // canvas units, top-left corner, y downward
    LinearCurve<float> rotation; // degrees, counter-clockwise about the centre
    TCBCurve<Vec2> scale;    // width and height in canvas units
    LinearCurve<Vec4> colour;
};

inline constexpr float kCanvasWidth = 1024.0f;
inline constexpr float kCanvasHeight = 768.0f;
// Degrees to radians as the player has always computed it: 3.1415 / 180.
inline constexpr float kDegreesToRadians = 0.017452778f;

} // namespace zamp
