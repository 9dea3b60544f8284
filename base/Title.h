#pragma once
// The application title: the station's task bar entry and box captions, and
// the kiosk session's notice, which speaks in the station's name.
namespace station {

inline constexpr const char* ApplicationTitle = "Инструктаж [Демо-версия]";

} // namespace station
