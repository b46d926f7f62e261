// The manager's window side, which its construction starts and its destruction stops.
#pragma once

class CKtkSkinManager;
class CKtkSkinManagerSchema;
class CKtkSkinObject;

namespace ornatex {

void StartManagerWindowSide(CKtkSkinManager& manager);
void StopManagerWindowSide(CKtkSkinManager& manager);
// The object's own schema, null without an object or one.
CKtkSkinManagerSchema* OwnSchemaOf(CKtkSkinObject* object);

}  // namespace ornatex
