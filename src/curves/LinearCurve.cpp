// The linear curves the system uses, instantiated once here so the library checks them.
#include "curves/LinearCurve.h"

namespace zamp {

template class KeyedCurve<LinearKey<float>, LinearCurve<float>>;
template class KeyedCurve<LinearKey<Vec4>, LinearCurve<Vec4>>;
template class LinearCurve<float>;
template class LinearCurve<Vec4>;

} // namespace zamp
