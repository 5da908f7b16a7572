// The one entry point every fuzz target defines, as libFuzzer calls it: the
// target must accept any bytes without crashing, leaking or reading outside
// what it was given. Built with -fsanitize=fuzzer under clang for ./dev fuzz,
// and linked with FuzzReplay.cpp in every build, so that the seed corpora and
// every input that ever crashed run as ordinary tests.
#pragma once

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
