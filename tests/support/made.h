#pragma once
// The value of a Result a test cannot go on without; a failure ends the test program at once
// with its text (a machine out of file descriptors, say).
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "result.h"

namespace kerma {

template <class T>
T Made(Result<T> result) {
    if (!result) {
        std::fprintf(stderr, "%s\n", result.error().c_str());
        std::abort();
    }
    return std::move(*result);
}

}  // namespace kerma
