// The vector instructions this processor runs, asked of it once: the one
// place where the kernels (pixel conversion, scaling, compositing, the
// smooth zoom's sampler) choose their paths. Each path gives its plain
// twin's results; off x86 there is only the plain one.
#pragma once

namespace mv {

enum class SimdLevel { Plain, Sse2, Avx2 };

inline bool SimdRuns(SimdLevel level) {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_cpu_init();  // callers may run before the processor is asked in static set-up
    if (level == SimdLevel::Avx2) return __builtin_cpu_supports("avx2");
    if (level == SimdLevel::Sse2) return __builtin_cpu_supports("sse2");
#endif
    return level == SimdLevel::Plain;
}

// The best level this processor runs.
inline SimdLevel BestSimdLevel() {
    static const SimdLevel best = SimdRuns(SimdLevel::Avx2)   ? SimdLevel::Avx2
                                  : SimdRuns(SimdLevel::Sse2) ? SimdLevel::Sse2
                                                              : SimdLevel::Plain;
    return best;
}

}  // namespace mv
