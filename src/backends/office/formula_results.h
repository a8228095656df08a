#pragma once
// The cached results LibreOffice writes for formulas into an .xls.

#include <com/sun/star/lang/XComponent.hpp>

namespace office
{

// LibreOffice writes a formula's cached result by the type it found when it
// last interpreted the formula, and a formula loaded from an .xls has not
// been interpreted: a text result is written as 0, TRUE as 1, whatever a
// recalculation gives. Entering each formula again, as typed, has it
// interpreted; array formulas are left as they are.
void RetypeFormulaResults(const css::uno::Reference<css::lang::XComponent> &document);

} // namespace office
