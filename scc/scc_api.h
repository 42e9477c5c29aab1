// The source-control provider interface (version 1.3) that an IDE drives: types,
// constants and entry points, written from the published interface for this platform.
// LONG, result codes and status words are 32-bit; BOOL is int. On Windows the types are
// spelt as the system's own headers spell them, so that a file may see both, and every
// function and callback is __cdecl; elsewhere window handles are void*.
#pragma once

#include <cstdint>

#ifdef _WIN32
#define SCC_EXPORT extern "C"
#define SCC_CALL __cdecl
typedef long LONG;
typedef unsigned long DWORD;
typedef struct HWND__* HWND;
#else
#define SCC_EXPORT extern "C" __attribute__((visibility("default")))
#define SCC_CALL
typedef int32_t LONG;
typedef uint32_t DWORD;
typedef void* HWND;
#endif
static_assert(sizeof(LONG) == 4 && sizeof(DWORD) == 4);

typedef LONG SCCRTN;
typedef int BOOL;
typedef void* LPCMDOPTS;
typedef const char* LPCSTR;
typedef char* LPSTR;
typedef LONG* LPLONG;
typedef BOOL* LPBOOL;

// Results
constexpr SCCRTN SCC_OK = 0;
constexpr SCCRTN SCC_I_FILEDIFFERS = 6;
constexpr SCCRTN SCC_I_OPERATIONCANCELED = 2;
constexpr SCCRTN SCC_I_ADV_SUPPORT = 1;
constexpr SCCRTN SCC_E_INITIALIZEFAILED = -1;
constexpr SCCRTN SCC_E_UNKNOWNPROJECT = -2;
constexpr SCCRTN SCC_E_COULDNOTCREATEPROJECT = -3;
constexpr SCCRTN SCC_E_NOTCHECKEDOUT = -4;
constexpr SCCRTN SCC_E_ALREADYCHECKEDOUT = -5;
constexpr SCCRTN SCC_E_FILEISLOCKED = -6;
constexpr SCCRTN SCC_E_FILENOTCONTROLLED = -11;
constexpr SCCRTN SCC_E_OPNOTSUPPORTED = -14;
constexpr SCCRTN SCC_E_NONSPECIFICERROR = -15;
constexpr SCCRTN SCC_E_NOTAUTHORIZED = -26;
constexpr SCCRTN SCC_E_CONNECTIONFAILURE = -29;

// Capabilities
constexpr LONG SCC_CAP_REMOVE = 0x00000001;
constexpr LONG SCC_CAP_RENAME = 0x00000002;
constexpr LONG SCC_CAP_DIFF = 0x00000004;
constexpr LONG SCC_CAP_HISTORY = 0x00000008;
constexpr LONG SCC_CAP_PROPERTIES = 0x00000010;
constexpr LONG SCC_CAP_RUNSCC = 0x00000020;
constexpr LONG SCC_CAP_GETCOMMANDOPTIONS = 0x00000040;
constexpr LONG SCC_CAP_QUERYINFO = 0x00000080;
constexpr LONG SCC_CAP_GETPROJPATH = 0x00000200;
constexpr LONG SCC_CAP_COMMENTCHECKOUT = 0x00000800;
constexpr LONG SCC_CAP_COMMENTCHECKIN = 0x00001000;
constexpr LONG SCC_CAP_TEXTOUT = 0x00008000;
constexpr LONG SCC_CAP_REENTRANT = 0x40000000;

// Buffer sizes the IDE provides
constexpr int SCC_NAME_LEN = 31;      // provider name, without the terminator
constexpr int SCC_PRJPATH_LEN = 300;  // project name, without the terminator

// SccOpenProject flags
constexpr LONG SCC_OP_CREATEIFNEW = 0x00000001;
constexpr LONG SCC_OP_SILENTOPEN = 0x00000002;

// Status words of SccQueryInfo
constexpr LONG SCC_STATUS_INVALID = -1;
constexpr LONG SCC_STATUS_NOTCONTROLLED = 0x0000;
constexpr LONG SCC_STATUS_CONTROLLED = 0x0001;
constexpr LONG SCC_STATUS_CHECKEDOUT = 0x0002;
constexpr LONG SCC_STATUS_OUTOTHER = 0x0004;
constexpr LONG SCC_STATUS_OUTBYUSER = 0x1000;

// SccDiff flags: any of these asks only whether the file differs
constexpr LONG SCC_DIFF_QD_CONTENTS = 0x0010;
constexpr LONG SCC_DIFF_QD_CHECKSUM = 0x0020;
constexpr LONG SCC_DIFF_QD_TIME = 0x0040;
constexpr LONG SCC_DIFF_QUICK_DIFF = SCC_DIFF_QD_CONTENTS | SCC_DIFF_QD_CHECKSUM | SCC_DIFF_QD_TIME;

// Text-output message types
constexpr DWORD SCC_MSG_INFO = 1;

enum SCCCOMMAND {
    SCC_COMMAND_GET,
    SCC_COMMAND_CHECKOUT,
    SCC_COMMAND_CHECKIN,
    SCC_COMMAND_UNCHECKOUT,
    SCC_COMMAND_ADD,
    SCC_COMMAND_REMOVE,
    SCC_COMMAND_DIFF,
    SCC_COMMAND_HISTORY,
    SCC_COMMAND_RENAME,
    SCC_COMMAND_PROPERTIES,
    SCC_COMMAND_OPTIONS
};

typedef LONG(SCC_CALL* LPTEXTOUTPROC)(LPCSTR message, DWORD type);
typedef BOOL(SCC_CALL* POPLISTFUNC)(void* callerData, BOOL addKeep, LONG status, LPCSTR fileName);
typedef BOOL(SCC_CALL* POPDIRLISTFUNC)(void* callerData, LPCSTR path, void* data);
typedef BOOL(SCC_CALL* QUERYCHANGESFUNC)(void* callerData, void* data);

// The record handed to the callback of SccQueryInfoEx for each checked-in file; its size
// field holds sizeof the record (48 with 64-bit text pointers, 36 with 32-bit ones).
struct QueryInfoExRecord {
    LONG size;
    LONG reserved1;
    LONG flags;
    LPCSTR path;
    LPCSTR version;
    LONG reserved2;
    LONG reserved3;
    LONG reserved4;
    LONG reserved5;
};
typedef LONG(SCC_CALL* QUERYINFOEXFUNC)(void* callerData, QueryInfoExRecord* record);

// Lifecycle and fixed answers
SCC_EXPORT LONG SCC_CALL SccGetVersion(void);
SCC_EXPORT SCCRTN SCC_CALL SccInitialize(void** ppContext, HWND hWnd, LPCSTR lpCallerName,
                                         LPSTR lpSccName, LPLONG lpSccCaps, LPSTR lpAuxPathLabel,
                                         LPLONG pnCheckoutCommentLen, LPLONG pnCommentLen);
SCC_EXPORT SCCRTN SCC_CALL SccUninitialize(void* pContext);
SCC_EXPORT SCCRTN SCC_CALL SccIsMultiCheckoutEnabled(void* pContext, LPBOOL pbMultiCheckout);
SCC_EXPORT SCCRTN SCC_CALL SccGetExtendedCapabilities(void* pContext, LONG lSccExCap,
                                                      LPBOOL pbSupported);

// Project binding
SCC_EXPORT SCCRTN SCC_CALL SccOpenProject(void* pvContext, HWND hWnd, LPSTR lpUser,
                                          LPSTR lpProjName, LPCSTR lpLocalProjPath,
                                          LPSTR lpAuxProjPath, LPCSTR lpComment,
                                          LPTEXTOUTPROC lpTextOutProc, LONG dwFlags);
SCC_EXPORT SCCRTN SCC_CALL SccGetProjPath(void* pvContext, HWND hWnd, LPSTR lpUser,
                                          LPSTR lpProjName, LPSTR lpLocalPath, LPSTR lpAuxProjPath,
                                          BOOL bAllowChangePath, LPBOOL pbNew);

// File commands
SCC_EXPORT SCCRTN SCC_CALL SccAdd(void* pvContext, HWND hWnd, LONG nFiles, LPCSTR* lpFileNames,
                                  LPCSTR lpComment, LONG* pfOptions, LPCMDOPTS pvOptions);
SCC_EXPORT SCCRTN SCC_CALL SccCheckin(void* pvContext, HWND hWnd, LONG nFiles, LPCSTR* lpFileNames,
                                      LPCSTR lpComment, LONG fOptions, LPCMDOPTS pvOptions);
SCC_EXPORT SCCRTN SCC_CALL SccCheckout(void* pvContext, HWND hWnd, LONG nFiles, LPCSTR* lpFileNames,
                                       LPCSTR lpComment, LONG fOptions, LPCMDOPTS pvOptions);
SCC_EXPORT SCCRTN SCC_CALL SccGet(void* pvContext, HWND hWnd, LONG nFiles, LPCSTR* lpFileNames,
                                  LONG fOptions, LPCMDOPTS pvOptions);
SCC_EXPORT SCCRTN SCC_CALL SccUncheckout(void* pvContext, HWND hWnd, LONG nFiles,
                                         LPCSTR* lpFileNames, LONG fOptions, LPCMDOPTS pvOptions);
SCC_EXPORT SCCRTN SCC_CALL SccRemove(void* pvContext, HWND hWnd, LONG nFiles, LPCSTR* lpFileNames,
                                     LPCSTR lpComment, LONG fOptions, LPCMDOPTS pvOptions);

// Status, history, properties, compare and options
SCC_EXPORT SCCRTN SCC_CALL SccQueryInfo(void* pvContext, LONG nFiles, LPCSTR* lpFileNames,
                                        LPLONG lpStatus);
SCC_EXPORT SCCRTN SCC_CALL SccQueryInfoEx(void* pvContext, LONG nFiles, LPCSTR* lpFileNames,
                                          LPLONG lpStatus, QUERYINFOEXFUNC pfnCallback,
                                          void* pvCallerData);
SCC_EXPORT SCCRTN SCC_CALL SccHistory(void* pvContext, HWND hWnd, LONG nFiles, LPCSTR* lpFileNames,
                                      LONG fOptions, LPCMDOPTS pvOptions);
SCC_EXPORT SCCRTN SCC_CALL SccProperties(void* pvContext, HWND hWnd, LPCSTR lpFileName);
SCC_EXPORT SCCRTN SCC_CALL SccDiff(void* pvContext, HWND hWnd, LPCSTR lpFileName, LONG fOptions,
                                   LPCMDOPTS pvOptions);
SCC_EXPORT SCCRTN SCC_CALL SccGetCommandOptions(void* pvContext, HWND hWnd,
                                                enum SCCCOMMAND nCommand, LPCMDOPTS* ppvOptions);

// Entry points this provider answers without doing anything
SCC_EXPORT SCCRTN SCC_CALL SccAddFilesFromSCC(void* pContext, HWND hWnd, LPSTR lpUser,
                                              LPSTR lpAuxProjPath, LONG cFiles, LPCSTR* lpFilePaths,
                                              LPCSTR lpDestination, LPCSTR lpComment,
                                              LPBOOL pbResults);
SCC_EXPORT SCCRTN SCC_CALL SccAddFromScc(void* pvContext, HWND hWnd, LPLONG pnFiles,
                                         LPCSTR** lplpFileNames);
SCC_EXPORT SCCRTN SCC_CALL SccBackgroundGet(void* pContext, LONG nFiles, LPCSTR* lpFileNames,
                                            DWORD dwFlags, LONG dwBackgroundOperationID);
SCC_EXPORT SCCRTN SCC_CALL SccBeginBatch(void);
SCC_EXPORT SCCRTN SCC_CALL SccCloseProject(void* pvContext);
SCC_EXPORT SCCRTN SCC_CALL SccCreateSubProject(void* pContext, HWND hWnd, LPSTR lpUser,
                                               LPCSTR lpParentProjPath, LPCSTR lpSubProjName,
                                               LPSTR lpAuxProjPath, LPSTR lpSubProjPath);
SCC_EXPORT SCCRTN SCC_CALL SccDirDiff(void* pContext, HWND hWnd, LPCSTR lpDirName, LONG dwFlags,
                                      LPCMDOPTS pvOptions);
SCC_EXPORT SCCRTN SCC_CALL SccDirQueryInfo(void* pContext, LONG nDirs, LPCSTR* lpDirNames,
                                           LPLONG lpStatus);
SCC_EXPORT SCCRTN SCC_CALL SccEndBatch(void);
SCC_EXPORT SCCRTN SCC_CALL SccEnumChangedFiles(void* pContext, HWND hWnd, LONG cFiles,
                                               LPCSTR* lpFileNames, LONG* plFileStatus);
SCC_EXPORT SCCRTN SCC_CALL SccGetEvents(void* pvContext, LPSTR lpFileName, LPLONG lpStatus,
                                        LPLONG pnEventsRemaining);
SCC_EXPORT SCCRTN SCC_CALL SccGetParentProjectPath(void* pContext, HWND hWnd, LPSTR lpUser,
                                                   LPCSTR lpProjPath, LPSTR lpAuxProjPath,
                                                   LPSTR lpParentProjPath);
SCC_EXPORT SCCRTN SCC_CALL SccGetUserOption(void* pContext, LONG nOption, LPLONG lpVal);
SCC_EXPORT SCCRTN SCC_CALL SccPopulateDirList(void* pContext, LONG nDirs, LPCSTR* lpDirPaths,
                                              POPDIRLISTFUNC pfnPopulate, void* pvCallerData,
                                              LONG dwFlags);
SCC_EXPORT SCCRTN SCC_CALL SccPopulateList(void* pvContext, enum SCCCOMMAND nCommand, LONG nFiles,
                                           LPCSTR* lpFileNames, POPLISTFUNC pfnPopulate,
                                           void* pvCallerData, LPLONG lpStatus, LONG fOptions);
SCC_EXPORT SCCRTN SCC_CALL SccQueryChanges(void* pContext, LONG nFiles, LPCSTR* lpFileNames,
                                           QUERYCHANGESFUNC pfnCallback, void* pvCallerData);
SCC_EXPORT SCCRTN SCC_CALL SccRemoveDir(void* pContext, HWND hWnd, LPCSTR lpDirName,
                                        LPCSTR lpComment, LONG fOptions, LPCMDOPTS pvOptions);
SCC_EXPORT SCCRTN SCC_CALL SccRename(void* pvContext, HWND hWnd, LPCSTR lpFileName,
                                     LPCSTR lpNewName);
SCC_EXPORT SCCRTN SCC_CALL SccRunScc(void* pvContext, HWND hWnd, LONG nFiles, LPCSTR* lpFileNames);
SCC_EXPORT SCCRTN SCC_CALL SccSetOption(void* pvContext, LONG nOption, LONG dwVal);
SCC_EXPORT SCCRTN SCC_CALL SccWillCreateSccFile(void* pContext, LONG nFiles, LPCSTR* lpFileNames,
                                                LPBOOL pbSccFiles);
