#pragma once
// The UNO runtime of this process, bootstrapped once.

#include <com/sun/star/uno/XComponentContext.hpp>

namespace office
{

// Null when the runtime cannot be loaded.
css::uno::Reference<css::uno::XComponentContext> LocalUnoContext();

} // namespace office
