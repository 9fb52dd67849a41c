#pragma once
namespace platform {
// A procedure variable: a plain function pointer, declared as Hook<void(int)>.
template <class F>
using Hook = F*;
}  // namespace platform
