#include "samplers/process/app_terminator.h"

namespace kovra {

AppTerminator::AppTerminator() : AppTerminator(platform::makeAppControl()) {}

}  // namespace kovra
