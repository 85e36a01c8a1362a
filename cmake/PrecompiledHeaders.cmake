# Qt's headers are most of what each file of the program compiles. They are
# compiled once into a precompiled header for each kind of target, and every
# target of that kind reuses it. A precompiled header is only used with the
# same flags and macros it was made with, so the kinds are the layers on Qt
# Core alone, the layers on Qt Widgets, and the test executables. Each kind
# has a small target of its own that makes its header, so that building any
# one target builds no other target's code for it.
option(VIDIZIZOR_PRECOMPILE "Compile Qt's headers once for every target of a kind" ON)

set(VIDIZIZOR_PCH_core
  <QByteArray> <QHash> <QList> <QMap> <QObject> <QString> <QStringList> <QStringView>
  <algorithm> <functional> <memory> <optional> <vector>)
set(VIDIZIZOR_PCH_widgets ${VIDIZIZOR_PCH_core}
  <QAccessible> <QAction> <QApplication> <QDir> <QFile> <QFileInfo> <QKeyEvent> <QLabel>
  <QLineEdit> <QMdiArea> <QMdiSubWindow> <QMenu> <QMenuBar> <QMimeData> <QPainter>
  <QPointer> <QScrollBar> <QTimer> <QWidget>)
set(VIDIZIZOR_PCH_tests ${VIDIZIZOR_PCH_widgets} <QSignalSpy> <QTemporaryDir> <QTest>)

if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  # Says so when a target could not use its kind's header after all.
  add_compile_options(-Winvalid-pch)
endif()

# The target that makes the header of a kind, with the Qt modules that give
# that kind its macros.
function(vidizizor_precompiled_header kind type)
  if(NOT VIDIZIZOR_PRECOMPILE)
    return()
  endif()
  set(name vidizizor_pch_${kind})
  if(type STREQUAL "EXECUTABLE")
    qt_add_executable(${name} ${PROJECT_SOURCE_DIR}/cmake/precompiled_main.cpp)
  else()
    add_library(${name} STATIC ${PROJECT_SOURCE_DIR}/cmake/precompiled.cpp)
  endif()
  set_target_properties(${name} PROPERTIES AUTOMOC OFF AUTOUIC OFF AUTORCC OFF EXCLUDE_FROM_ALL ON)
  target_link_libraries(${name} PRIVATE ${ARGN})
  target_precompile_headers(${name} PRIVATE ${VIDIZIZOR_PCH_${kind}})
endfunction()

function(vidizizor_reuse_precompiled_header target kind)
  if(VIDIZIZOR_PRECOMPILE)
    target_precompile_headers(${target} REUSE_FROM vidizizor_pch_${kind})
  endif()
endfunction()
