#include "backends/standard_backends.h"

#include "backends/native/native_backend.h"

Backends StandardBackends()
{
    Backends backends;
    backends.native = NativeAppFactory();
    return backends;
}
