# Most of a file's compile time here goes to Qt's and the standard library's
# headers. On Linux, where the test command builds everything twice, each
# library parses the common ones once, into a precompiled header, and the
# tests share one. Nothing may come to rely on it: the macOS compile check
# compiles every file on its own, without it, so an include a file forgot
# still fails there.
#
#   veristamp_precompile_headers(<target> [QUICK])   QUICK: Qt Quick's headers too
#   veristamp_reuse_precompiled_headers(<target> <from>)

option(VERISTAMP_PRECOMPILE_HEADERS "Precompile Qt's and the standard library's common headers (Linux)" ON)

set(_veristamp_core_headers
  <QByteArray> <QDir> <QFile> <QFileInfo> <QHash> <QList> <QObject> <QString> <QStringList> <QUrl> <QVariant>
  <chrono> <functional> <memory> <optional> <vector>)
set(_veristamp_quick_headers
  <QAbstractListModel> <QColor> <QQmlEngine> <QQuickItem> <QtQml/qqmlregistration.h>)

function(_veristamp_precompiling out)
  set(${out} FALSE PARENT_SCOPE)
  if(VERISTAMP_PRECOMPILE_HEADERS AND CMAKE_SYSTEM_NAME STREQUAL "Linux")
    set(${out} TRUE PARENT_SCOPE)
  endif()
endfunction()

function(veristamp_precompile_headers target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "QUICK" "" "")
  _veristamp_precompiling(precompiling)
  if(NOT precompiling)
    return()
  endif()
  set(headers ${_veristamp_core_headers})
  if(arg_QUICK)
    list(APPEND headers ${_veristamp_quick_headers})
  endif()
  target_precompile_headers(${target} PRIVATE ${headers})
endfunction()

function(veristamp_reuse_precompiled_headers target from)
  _veristamp_precompiling(precompiling)
  if(precompiling)
    target_precompile_headers(${target} REUSE_FROM ${from})
  endif()
endfunction()
