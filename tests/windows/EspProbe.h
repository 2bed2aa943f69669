// Calls a stdcall function through a thunk that records the stack pointer before and after, to measure how many
// bytes of arguments the callee itself removed. The thunk touches no register the result travels in (EAX, EDX,
// ST(0)), and afterwards sets the stack pointer to what the caller's prototype expects, so that even a callee
// removing the wrong count returns safely to the test. The probe keeps its state in globals: one probed call at a
// time, on one thread.
#pragma once

#include <cstdint>
#include <type_traits>

extern "C" {
void SbEspProbe();
extern void* sbProbeTarget;
extern uint32_t sbProbeCallerPops;
extern uint32_t sbProbeEspBefore;
extern uint32_t sbProbeEspAfter;
}

namespace wintest {

// Bytes of stack the arguments occupy: every argument takes whole 32-bit words.
template <typename... Args>
constexpr uint32_t StackBytes() {
    return (0u + ... + static_cast<uint32_t>((sizeof(Args) + 3) / 4 * 4));
}

// Arguments take the types of the called prototype; only the function decides them.
template <typename T>
struct AsParameter {
    using type = T;
};
template <typename T>
using AsParameterOf = typename AsParameter<T>::type;

// Calls fn(args...) through the probe; *removed receives the bytes the callee removed from the stack.
template <typename Result, typename... Args>
Result CallProbed(Result(__stdcall* fn)(Args...), uint32_t* removed, AsParameterOf<Args>... args) {
    sbProbeTarget = reinterpret_cast<void*>(fn);
    sbProbeCallerPops = StackBytes<Args...>();
    auto thunk = reinterpret_cast<Result(__stdcall*)(Args...)>(&SbEspProbe);
    if constexpr (std::is_void_v<Result>) {
        thunk(args...);
        *removed = sbProbeEspAfter - sbProbeEspBefore;
    } else {
        Result result = thunk(args...);
        *removed = sbProbeEspAfter - sbProbeEspBefore;
        return result;
    }
}

}  // namespace wintest
