#pragma once

#include <QtGlobal>

// CMake defines qrvtavoli_EXPORTS while it builds the shared library itself.
#if defined(qrvtavoli_EXPORTS)
#define QRVTAVOLI_EXPORT Q_DECL_EXPORT
#else
#define QRVTAVOLI_EXPORT Q_DECL_IMPORT
#endif
