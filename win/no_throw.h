// Interface boundaries: the console, COM and the dialog manager call in
// through frames that no C++ exception may cross, so every operation they
// call answers its failure result instead of letting an exception out
// (std::bad_alloc above all: the code below allocates with throwing new).
#pragma once
#include <windows.h>

#include <new>

// Runs `work` and returns its result, or `failure` when it throws.
template <typename Result, typename Work>
Result CallNoThrow(Result failure, Work&& work) noexcept {
    try {
        return work();
    } catch (...) {
        return failure;
    }
}

// For operations without a result: true when `work` ran to its end.
template <typename Work>
bool CallNoThrow(Work&& work) noexcept {
    try {
        work();
        return true;
    } catch (...) {
        return false;
    }
}

// For COM entry points: E_OUTOFMEMORY when an allocation failed,
// E_UNEXPECTED for any other exception.
template <typename Work>
HRESULT ComCallNoThrow(Work&& work) noexcept {
    try {
        return work();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}
