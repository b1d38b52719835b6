#pragma once
// The conversion library's C interface, shared by the library and the program.

#include <cstdint>

#if defined(_WIN32)
#define RS_CNV_CALL __stdcall
#define RS_CNV_EXPORT extern "C" __declspec(dllexport)
#else
#define RS_CNV_CALL
#define RS_CNV_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace rs {

// Per-file status: -1 error, 0 converted, 1 converted before, 2 must be digitized again.
using TCnvProgress = void (*)(void* context, const char* fileName, std::int32_t status);
using TExecuteConversion = void(RS_CNV_CALL*)(const char* const* fileNames, std::int32_t count,
                                              TCnvProgress progress, void* context);

#if defined(_WIN32)
inline constexpr const char* kCnvLibraryName = "DPBPVD.DLL";
#else
inline constexpr const char* kCnvLibraryName = "libdpbpvd.so";
#endif

} // namespace rs
