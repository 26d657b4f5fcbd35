// Entry points of the web-service worker library (libwebservice_sdk.so), which the toolkit
// loads at run time and calls for every web-service request.
#ifndef TESSEL_WEBSERVICE_WORKER_H
#define TESSEL_WEBSERVICE_WORKER_H

extern "C" {

/// Performs one request; see webservice_sdk_submit in ToolKits.h for the contract.
typedef int (*PFN_WebserviceWorkerRequest)(const char* _pszUrl, int _iTimeoutMs, const char* _pszParams, int _iMode,
                                           char** _ppReply);
/// Frees a reply made by the request function.
typedef void (*PFN_WebserviceWorkerFree)(char* _pReply);
}

#define WEBSERVICE_WORKER_REQUEST "webservice_worker_request"
#define WEBSERVICE_WORKER_FREE "webservice_worker_free"
/// File name of the worker in the application directory.
#define WEBSERVICE_WORKER_FILE "libwebservice_sdk.so"
/// Mode of webservice_sdk_submit: POST with the parameter text as the body.
#define WEBSERVICE_MODE_POST 1

#endif  // TESSEL_WEBSERVICE_WORKER_H
