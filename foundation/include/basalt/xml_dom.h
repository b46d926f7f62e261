// Basalt::XMLDom: the foundation's XML object model, reader and writer.
#pragma once

#include <basalt/xml/entities.h>
#include <basalt/xml/options.h>
#include <basalt/xml/node.h>
#include <basalt/xml/document.h>
