#include "default_backend.h"

#include "native_backend.h"

automation::AppFactory DefaultAppFactory()
{
    return NativeAppFactory();
}
