// The TCB curves the system uses, instantiated once here so the library checks them.
#include "curves/TCBCurve.h"

namespace zamp {

template class KeyedCurve<TCBKey<float>, TCBCurve<float>>;
template class KeyedCurve<TCBKey<Vec2>, TCBCurve<Vec2>>;
template class KeyedCurve<TCBKey<Vec3>, TCBCurve<Vec3>>;
template class TCBCurve<float>;
template class TCBCurve<Vec2>;
template class TCBCurve<Vec3>;

} // namespace zamp
