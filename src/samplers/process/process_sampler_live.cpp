#include <unistd.h>

#include "samplers/process/process_sampler.h"

namespace kovra {

ProcessSampler::ProcessSampler() : ProcessSampler(platform::makeProcessSource(), ::getpid(), platform::monotonicNanos) {}

}  // namespace kovra
