#pragma once
// The one-line notice in a corner of each window.
inline constexpr const char* NoticeText = "Демо-версия";
