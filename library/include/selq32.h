/* The public interface of libSelq32.so: fifteen functions that a host program calls to
 * start the query designer on a relational model, drive it, read the generated SQL back
 * and be told when the user hands a result back.
 *
 * All functions run on the host's thread. Those returning int report 0 for success and 1
 * for failure, except kvslIsRunning (1 yes, 0 no) and kvslGetSqlLineCount (a count). No
 * function raises and none shows a message when called out of order. Texts are
 * zero-terminated 8-bit strings (UTF-8); the host owns the buffer that kvslGetSqlLine
 * fills and must make it hold the longest line plus one byte.
 */
#ifndef SELQ32_H
#define SELQ32_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Type of the event posted to the registered host widget after the user pressed the
 * host's button in a result window (first parameter 0, second parameter 1). */
#define KVSL_HOST_NOTIFICATION 1025

/* kvslSetSize codes; any other code restores the normal size. */
#define KVSL_SIZE_MINIMIZE 1
#define KVSL_SIZE_MAXIMIZE 2
#define KVSL_SIZE_HIDE 9999

/* Starts (or shows again) the designer on a model file. 1 when the file does not exist. */
int kvslRun(const char* modelPath);
/* Hides the designer and empties its query, without asking to save. */
void kvslExit(void);
/* 1 while the designer is created and running, else 0. */
int kvslIsRunning(void);
/* Replaces the query by a saved query file, without asking to save. */
int kvslLoadOSQ(const char* queryPath);
/* Makes another model current; asks before closing open tables. */
int kvslLoadMDL(const char* modelPath);
/* Validates and executes the query; the result is not shown. */
int kvslExecuteQuery(void);
/* Opens a result window on the executed query. */
int kvslDisplayResult(void);
/* 2 maximise, 1 minimise, 9999 hide (still running), other codes restore. */
int kvslSetSize(int32_t sizeCode);
/* Registers the native id of the host widget that receives KVSL_HOST_NOTIFICATION.
 * 0 when the id is not 0, else 1. */
int kvslRegisterCallBack(uint32_t window);
/* 0 when a window was registered, else 1; no window is registered afterwards. */
int kvslUnRegisterCallBack(void);
/* Destroys the designer and releases its files; the host calls nothing afterwards. */
void kvslUnload(void);
/* Whether result windows created from now on show the host's button. */
void kvslShowCustBtn(int32_t visible);
/* Caption of the host's button (at most 80 characters are kept). */
void kvslSetCustBtnCaption(const char* caption);
/* Number of lines of the SQL text of the current query. */
int kvslGetSqlLineCount(void);
/* Copies line n (1-based) of the SQL text with its terminating zero into buffer; an out of
 * range number leaves the buffer untouched. */
void kvslGetSqlLine(int32_t lineNumber, char* buffer);

#ifdef __cplusplus
}
#endif

#endif /* SELQ32_H */
