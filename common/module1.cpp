#include "module1.h"

namespace Module1 {
int16_t RandomMode = 0;
std::string EditTagPath;
}  // namespace Module1
