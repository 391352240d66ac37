// The one way of turning a failure into an early return of its HRESULT, instead of nested ifs.
#pragma once

#include <winerror.h>

#define ZM_RETURN_IF_FAILED(expr)      \
  do {                                 \
    HRESULT zm_hr_ = (expr);           \
    if (FAILED(zm_hr_)) return zm_hr_; \
  } while (0)
