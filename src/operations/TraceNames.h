// The operations' trace lines that tools read back (replay rebuilds the host's calls from them), beside the
// command catalogue's names (TraceName): written here once, in UTF-8, for the driver that writes them in
// Windows-1251 and for the readers. Each name is followed by the point and ")".
#pragma once

namespace sb::trace {

inline constexpr char kEndPrefix[] = "END ";  // "END START(n)": before a command's name, its end
inline constexpr char kFinalData[] = "GET ITOG DATA TRANSACTION(";
inline constexpr char kDataWithoutRequest[] = "TRANSACTION No Request(";
// A repeated read of figures that may be the previous sale's: "...(n). RepeatCount=k".
inline constexpr char kPreviousSaleLocked[] = "Блокировка предидущего отлива(";
inline constexpr char kRepeatCount[] = ". RepeatCount=";
inline constexpr char kCounterRead[] = "RET COUNTER(";             // ": volume" follows
inline constexpr char kCounterFromMemory[] = "RET FAST COUNTER(";  // ": volume" follows
inline constexpr char kStatusExit[] = "Выход СОСТОЯНИЕ(";          // ": code" follows

}  // namespace sb::trace
