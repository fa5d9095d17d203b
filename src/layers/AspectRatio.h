// The width-to-height ratio of the scene camera's projection: 4/3, except while the
// capture pass draws into a target, when it is that target's ratio.
#pragma once

namespace zamp {

inline constexpr float kScreenAspectRatio = 1.3333334f;
inline float aspectRatio = kScreenAspectRatio;

} // namespace zamp
