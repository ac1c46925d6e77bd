// The name register: the system's configuration.
//
// A process-wide store of name/value pairs in named groups. Group and entry
// names keep the case they were stored with; every comparison folds ASCII
// letters only (A-Z = a-z), independent of the locale. Only the group
// "REGISTER" can be written; any group can be queried and removed. All
// names and values are owned copies.
#ifndef ZOLMA_SUPPORT_UTNAME_H
#define ZOLMA_SUPPORT_UTNAME_H

inline constexpr char kUtRegisterGroup[] = "REGISTER";
inline constexpr char kUtUndefined[] = "<undefiniert>";

// The value of the entry; "<undefiniert>" for an entry without a value;
// null when the group or the name does not exist (or either is null). The
// answer stays valid until the entry changes or is removed.
const char* UtQueryName(const char* group, const char* name);

// UtQueryName("REGISTER", name).
const char* UtQueryRegister(const char* name);

// 0 stored; 1 the name exists already in "REGISTER" (nothing changed);
// 2 the store failed.
int UtRegisterName(const char* name, const char* value);

// Sets name = value in "REGISTER", creating group and entry when needed:
// 0 done; 1 failed (no memory, or a null value: the entry then stays
// without a value and queries as "<undefiniert>").
int UtSetName(const char* name, const char* value);

// Removes the entry; nothing happens when group or name does not exist.
void UtRemoveName(const char* group, const char* name);

// Removes the group with all its entries; nothing when it does not exist.
void UtRemoveGroup(const char* group);

// The query hook: when set, every query returns hook(group, name, answer,
// found). Null at start, and nothing in the system sets it. Returns the
// previous hook.
using UtQueryHook = const char* (*)(const char* group, const char* name, const char* answer,
                                    int found);
UtQueryHook UtSetQueryHook(UtQueryHook hook);

#endif  // ZOLMA_SUPPORT_UTNAME_H
