#pragma once
#include "documents/MessageTable.h"

namespace zolvex {

// The built-in text of a numbered message in one language's table; null when that table
// does not hold the number.
const char* FindBuiltInMessage(MessageLanguage language, int number);

}  // namespace zolvex
