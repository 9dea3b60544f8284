# Precompiled Qt headers. Reading Qt's headers is most of what compiling a
# file here costs (<QtTest> alone about two thirds of a test file), so each
# group of targets compiles them once and shares the result:
#   widgets  the windows, the tools that show or print, their helpers
#   test     the logic tests (Qt Core and Qt Test)
#   window   the window and browser-engine tests (Qt Test with the widgets)
# station_qt_headers(GROUP target...) puts the targets into a group. Each
# group's headers are compiled in a small carrier library of its own, made on
# first use, whose flags its members share. The carrier links the least that
# every member links: a macro defined for the header but not for a member
# (such as QT_WEBENGINEWIDGETS_LIB) makes the header unusable there.
option(STATION_PCH "Precompile the Qt headers" ON)

set(STATION_PCH_widgets <QApplication> <QWidget> <QString> <QTimer> <QUrl>)
set(STATION_PCH_widgets_LIBS Qt6::Widgets)
set(STATION_PCH_test <QtTest>)
set(STATION_PCH_test_LIBS Qt6::Core Qt6::Test)
set(STATION_PCH_window <QApplication> <QWidget> <QtTest>)
set(STATION_PCH_window_LIBS toolkit Qt6::Test Qt6::WebEngineCore)

if(STATION_PCH AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  # A header that is found precompiled but cannot be used (other macros or
  # flags) fails the build instead of silently costing the time again.
  add_compile_options(-Winvalid-pch)
endif()

function(station_qt_headers group)
  if(NOT STATION_PCH)
    return()
  endif()
  set(carrier station_pch_${group})
  if(NOT TARGET ${carrier})
    file(WRITE ${PROJECT_BINARY_DIR}/station_pch_${group}.cpp "// carries the ${group} group's precompiled Qt headers\n")
    add_library(${carrier} OBJECT ${PROJECT_BINARY_DIR}/station_pch_${group}.cpp)
    target_link_libraries(${carrier} PRIVATE ${STATION_PCH_${group}_LIBS})
    target_precompile_headers(${carrier} PRIVATE ${STATION_PCH_${group}})
    set(members ${carrier})
  endif()
  foreach(target ${ARGN})
    target_precompile_headers(${target} REUSE_FROM ${carrier})
    list(APPEND members ${target})
  endforeach()
  if(NOT group STREQUAL "widgets")
    # Qt Test defines the test's own folders for QFINDTESTDATA, which no test
    # here uses; they would make every test folder a group of its own.
    foreach(target ${members})
      target_compile_options(${target} PRIVATE -UQT_TESTCASE_BUILDDIR -UQT_TESTCASE_SOURCEDIR)
    endforeach()
  endif()
endfunction()
