#pragma once
// Everything a reader of JSON documents needs: the document and the nodes.

#include "json/arrays.h"
#include "json/document.h"
#include "json/node.h"
#include "json/object.h"
#include "json/value.h"
