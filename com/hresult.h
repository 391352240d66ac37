// One way of turning failures into an HRESULT at once, instead of nested ifs.
#pragma once

#include <winerror.h>

#define ZM_RETURN_IF_FAILED(expr)  \
  do {                             \
    HRESULT zm_hr_ = (expr);       \
    if (FAILED(zm_hr_)) return zm_hr_; \
  } while (0)

#define ZM_RETURN_IF_NULL(ptr) \
  do {                         \
    if (!(ptr)) return E_POINTER; \
  } while (0)
