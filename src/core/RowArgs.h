// The argument list of a member file's TEVRA_COMMAND row, (Type1, Name1, Type2, Name2, ...) with
// up to three pairs, spelled out as the method's parameters, as its named arguments for the entry
// path and as the row's parameter names.
#pragma once

#define TEVRA_ARGS_PAIRS_(_1, _2, _3, _4, _5, _6, N, ...) N
#define TEVRA_ARGS_COUNT_(...) TEVRA_ARGS_PAIRS_(__VA_ARGS__, 3, odd, 2, odd, 1, odd)
#define TEVRA_ARGS_JOIN_(a, b) a##b
#define TEVRA_ARGS_EXPAND_(what, n) TEVRA_ARGS_JOIN_(what, n)
#define TEVRA_ARGS_(what, ...) TEVRA_ARGS_EXPAND_(what, TEVRA_ARGS_COUNT_(__VA_ARGS__))(__VA_ARGS__)

// Type1 Name1, Type2 Name2
#define TEVRA_ARGS_DECLARE(...) TEVRA_ARGS_(TEVRA_ARGS_DECLARE_, __VA_ARGS__)
#define TEVRA_ARGS_DECLARE_1(T1, N1) T1 N1
#define TEVRA_ARGS_DECLARE_2(T1, N1, T2, N2) T1 N1, T2 N2
#define TEVRA_ARGS_DECLARE_3(T1, N1, T2, N2, T3, N3) T1 N1, T2 N2, T3 N3

// Named{"Name1", Name1}, ...
#define TEVRA_ARGS_NAMED(...) TEVRA_ARGS_(TEVRA_ARGS_NAMED_, __VA_ARGS__)
#define TEVRA_ARGS_NAMED_1(T1, N1) \
  ::tevra::core::Named<T1> { #N1, N1 }
#define TEVRA_ARGS_NAMED_2(T1, N1, T2, N2) TEVRA_ARGS_NAMED_1(T1, N1), TEVRA_ARGS_NAMED_1(T2, N2)
#define TEVRA_ARGS_NAMED_3(T1, N1, T2, N2, T3, N3) \
  TEVRA_ARGS_NAMED_2(T1, N1, T2, N2), TEVRA_ARGS_NAMED_1(T3, N3)

// "Name1,Name2"
#define TEVRA_ARGS_NAMES(...) TEVRA_ARGS_(TEVRA_ARGS_NAMES_, __VA_ARGS__)
#define TEVRA_ARGS_NAMES_1(T1, N1) #N1
#define TEVRA_ARGS_NAMES_2(T1, N1, T2, N2) #N1 "," #N2
#define TEVRA_ARGS_NAMES_3(T1, N1, T2, N2, T3, N3) #N1 "," #N2 "," #N3
