#include "ui/ole_session.h"

#include <ole2.h>

cOleSession::cOleSession() : initialized_(SUCCEEDED(OleInitialize(nullptr))) {}

cOleSession::~cOleSession() {
  if (initialized_) OleUninitialize();
}
