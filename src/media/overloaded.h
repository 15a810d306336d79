#pragma once

namespace ondrix {

// One visitor from several lambdas, for std::visit over a phase.
template <typename... Lambdas>
struct overloaded : Lambdas... {
    using Lambdas::operator()...;
};
// Spelled out for compilers without deduction for aggregates (clang before 17).
template <typename... Lambdas>
overloaded(Lambdas...) -> overloaded<Lambdas...>;

}  // namespace ondrix
