#pragma once
// The program's support address: shown in the support window and used for its
// "mailto:" link. The one place where it is set.

namespace rs {

inline constexpr const char* kSupportAddress = "suporte@rainscribe.example";
inline constexpr const char* kProgramVersionText = "Vers\xE3" "o 1.02"; // Windows-1252

} // namespace rs
