// How many cores this process may run on: the default number of seeds the
// lab runs at once.
#pragma once

#include <cstdint>

// The processors of the process's affinity mask (which taskset, cgroups'
// cpusets and batch schedulers narrow), or else the hardware's count, and
// at least 1.
int32_t usable_cores();
