#pragma once

/// The stored list of file types names each type without its dot ("txt");
/// a type listed but not browsed carries this mark before it ("\txt"), the
/// form the settings file keeps.
inline constexpr char kDisabledTypeMark = '\\';
