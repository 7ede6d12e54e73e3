// Allocation failures end the program with the fatal-error box that names
// the size asked for, rather than an unexplained abort.
#include <cstdlib>
#include <new>

#include "assocman/app/program.h"

void* operator new(std::size_t size)
{
    if (void* p = std::malloc(size ? size : 1)) return p;
    app::out_of_memory(size);
}

void* operator new[](std::size_t size)
{
    if (void* p = std::malloc(size ? size : 1)) return p;
    app::out_of_memory(size);
}

void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return std::malloc(size ? size : 1); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    return std::malloc(size ? size : 1);
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
