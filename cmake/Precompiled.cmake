# Precompiled headers: the standard library, GoogleTest and Qt headers that
# nearly every source includes are parsed once per target instead of once per
# source (about 2 s of parsing a source on the build machine), which takes a
# third off a fresh build on two cores. SKARVEL_PCH=OFF builds without them.
#
# A source compiled with other options than its target's precompiled header
# (the -O3 pixel loops) gets SKIP_PRECOMPILE_HEADERS; g++ would otherwise
# fall back to parsing the headers anyway.
option(SKARVEL_PCH "Precompile the common headers" ON)

set(SKARVEL_PCH_STD
  <algorithm> <array> <cmath> <cstddef> <cstdint> <cstdio> <cstring> <functional>
  <map> <memory> <optional> <sstream> <string> <string_view> <utility> <vector>)
set(SKARVEL_PCH_QT
  <QAction> <QApplication> <QCheckBox> <QDialog> <QDialogButtonBox> <QGridLayout>
  <QGroupBox> <QHBoxLayout> <QLabel> <QLineEdit> <QMenu> <QPainter> <QPushButton>
  <QRadioButton> <QString> <QVBoxLayout> <QWidget>)

# skarvel_precompile(TARGET HEADERS...): precompile HEADERS for TARGET.
function(skarvel_precompile target)
  if(SKARVEL_PCH)
    target_precompile_headers(${target} PRIVATE ${ARGN})
  endif()
endfunction()

# skarvel_precompile_reuse(TARGET FROM): TARGET uses FROM's precompiled header
# (both must be compiled with the same options).
function(skarvel_precompile_reuse target from)
  if(SKARVEL_PCH)
    target_precompile_headers(${target} REUSE_FROM ${from})
  endif()
endfunction()

# g++ 12 loses the system-header status of the standard library's inlined
# string code when it comes from a precompiled header, and then reports its
# known false out-of-bounds warnings there (std::string operator+); the
# sanitizer build checks the bounds for real.
if(SKARVEL_PCH AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  target_compile_options(skarvel_warnings INTERFACE -Wno-array-bounds -Wno-stringop-overflow
    -Wno-stringop-overread -Wno-restrict)
endif()
