#include <unistd.h>

#include "samplers/process/process_sampler.h"

namespace kovra {

ProcessSampler::ProcessSampler() : ProcessSampler(platform::makeProcessTable(), ::getpid(), platform::monotonicNanos) {}

}  // namespace kovra
