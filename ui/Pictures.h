#pragma once
// The pictures built into the program.
namespace pictures {
inline constexpr const char* Logo = ":/pictures/logo.jpg";
inline constexpr const char* OrganisationLogo = ":/pictures/orglogo.bmp";
inline constexpr const char* StartButton = ":/pictures/start.jpg";
inline constexpr const char* PencilButton = ":/pictures/pencil.jpg";
inline constexpr const char* AnswerButton = ":/pictures/answer.jpg";
inline constexpr const char* EntryIcon = ":/pictures/icon-entry.jpg";
inline constexpr const char* StudyIcon = ":/pictures/icon-study.jpg";
inline constexpr const char* TestIcon = ":/pictures/icon-test.jpg";
} // namespace pictures
