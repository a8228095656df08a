#include "worker/default_backend.h"

#include "backends/native/native_backend.h"

automation::AppFactory DefaultAppFactory()
{
    return NativeAppFactory();
}
