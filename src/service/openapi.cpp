#include "service/openapi.h"

#include <QJsonDocument>

namespace lumivo::service {

namespace {

// Kept as JSON text so it reads as the document it is.
constexpr char kDocument[] = R"json({
  "openapi": "3.0.3",
  "info": {"title": "lumivod", "version": "1",
           "description": "The signs of the sign list, driven over HTTP. Every request needs the header Authorization: Bearer TOKEN (lumivod --show-token). Bodies are JSON, at most 1 MiB. An error answers {\"error\": text, \"field\": name of the field at fault}."},
  "components": {
    "securitySchemes": {"bearer": {"type": "http", "scheme": "bearer"}},
    "parameters": {
      "sign": {"name": "name", "in": "path", "required": true, "schema": {"type": "string"}, "description": "a sign's name in the sign list, without regard to case"},
      "group": {"name": "group", "in": "path", "required": true, "schema": {"type": "string"}, "description": "a group of the sign list: every sign in it"},
      "letter": {"name": "letter", "in": "path", "required": true, "schema": {"type": "string", "pattern": "^[A-Za-z]$"}},
      "wait": {"name": "wait", "in": "query", "schema": {"type": "boolean", "default": true}, "description": "false: answer 202 at once with the job to poll"}
    },
    "schemas": {
      "Error": {"type": "object", "properties": {"error": {"type": "string"}, "field": {"type": "string"}}},
      "Outcome": {"type": "object", "properties": {"sign": {"type": "string"}, "ok": {"type": "boolean"}, "text": {"type": "string", "description": "the text of the box the editor shows for this end"}, "kind": {"type": "string", "enum": ["none", "information", "error", "plain"]}, "details": {"type": "string"}, "started": {"type": "boolean"}, "cancelled": {"type": "boolean"}, "milliseconds": {"type": "integer"}}},
      "Job": {"type": "object", "properties": {"job": {"type": "string"}, "href": {"type": "string"}, "command": {"type": "string"}, "signs": {"type": "array", "items": {"type": "string"}}, "started": {"type": "string"}, "done": {"type": "boolean"}, "ok": {"type": "boolean"}, "summary": {"type": "string"}, "outcomes": {"type": "array", "items": {"$ref": "#/components/schemas/Outcome"}}}},
      "Sign": {"type": "object", "properties": {"name": {"type": "string"}, "port": {"type": "string"}, "id": {"type": "string"}, "colours": {"type": "integer"}, "width": {"type": "integer"}, "groups": {"type": "array", "items": {"type": "string"}}, "state": {"type": "object", "description": "what was last sent from here: pages (letter: text, sent), brightness, clock, runningPage, linkedPages, last (the last command's outcome)"}}}
    },
    "responses": {
      "done": {"description": "the transfer ended; 200 when every sign took it, 502 when one did not", "content": {"application/json": {"schema": {"$ref": "#/components/schemas/Job"}}}},
      "accepted": {"description": "with wait=false: the job, not ended yet", "content": {"application/json": {"schema": {"$ref": "#/components/schemas/Job"}}}},
      "error": {"description": "401 no or wrong token, 400 a malformed body or field, 404 an unknown sign, group, letter or job, 413 a body over 1 MiB, 503 too many transfers waiting", "content": {"application/json": {"schema": {"$ref": "#/components/schemas/Error"}}}}
    }
  },
  "security": [{"bearer": []}],
  "paths": {
    "/api/signs": {"get": {"summary": "the sign list with each sign's state", "responses": {"200": {"description": "signs, groups and the problems of the list"}, "401": {"$ref": "#/components/responses/error"}}}},
    "/api/signs/{name}": {"parameters": [{"$ref": "#/components/parameters/sign"}], "get": {"summary": "one sign and its state", "responses": {"200": {"description": "the sign", "content": {"application/json": {"schema": {"$ref": "#/components/schemas/Sign"}}}}, "404": {"$ref": "#/components/responses/error"}}}},
    "/api/signs/{name}/picture.png": {"parameters": [{"$ref": "#/components/parameters/sign"}, {"name": "page", "in": "query", "schema": {"type": "string"}, "description": "the page to draw; default the running page, else the page sent last"}], "get": {"summary": "the sign showing the page as last sent from here", "responses": {"200": {"description": "PNG", "content": {"image/png": {}}}, "404": {"$ref": "#/components/responses/error"}}}},
    "/api/signs/{name}/picture.gif": {"parameters": [{"$ref": "#/components/parameters/sign"}, {"name": "page", "in": "query", "schema": {"type": "string"}, "description": "the page to draw; default the running page, else the page sent last"}], "get": {"summary": "one run of the page as last sent from here (leading effect, display time, closing effect), animated and looping, 25 frames a second; a run over 60 s is cut there", "responses": {"200": {"description": "GIF", "content": {"image/gif": {}}}, "404": {"$ref": "#/components/responses/error"}}}},
    "/api/signs/{name}/pages/{letter}": {"parameters": [{"$ref": "#/components/parameters/sign"}, {"$ref": "#/components/parameters/letter"}, {"$ref": "#/components/parameters/wait"}], "post": {"summary": "send a line as the page", "requestBody": {"required": true, "content": {"application/json": {"schema": {"type": "object", "required": ["text"], "properties": {"text": {"type": "string", "description": "the line as the editor holds it, tags and all; characters up to U+00FF, no control characters"}}}}}}, "responses": {"200": {"$ref": "#/components/responses/done"}, "202": {"$ref": "#/components/responses/accepted"}, "400": {"$ref": "#/components/responses/error"}}}},
    "/api/groups/{group}/pages/{letter}": {"parameters": [{"$ref": "#/components/parameters/group"}, {"$ref": "#/components/parameters/letter"}, {"$ref": "#/components/parameters/wait"}], "post": {"summary": "send a line as the page to every sign of the group", "requestBody": {"required": true, "content": {"application/json": {"schema": {"type": "object", "required": ["text"], "properties": {"text": {"type": "string"}}}}}}, "responses": {"200": {"$ref": "#/components/responses/done"}, "202": {"$ref": "#/components/responses/accepted"}}}},
    "/api/signs/{name}/brightness": {"parameters": [{"$ref": "#/components/parameters/sign"}, {"$ref": "#/components/parameters/wait"}], "post": {"summary": "set the brightness", "requestBody": {"required": true, "content": {"application/json": {"schema": {"type": "object", "required": ["level"], "properties": {"level": {"type": "integer", "enum": [100, 75, 50, 25]}}}}}}, "responses": {"200": {"$ref": "#/components/responses/done"}}}},
    "/api/groups/{group}/brightness": {"parameters": [{"$ref": "#/components/parameters/group"}, {"$ref": "#/components/parameters/wait"}], "post": {"summary": "set the brightness of every sign of the group", "requestBody": {"required": true, "content": {"application/json": {"schema": {"type": "object", "required": ["level"], "properties": {"level": {"type": "integer", "enum": [100, 75, 50, 25]}}}}}}, "responses": {"200": {"$ref": "#/components/responses/done"}}}},
    "/api/signs/{name}/clock": {"parameters": [{"$ref": "#/components/parameters/sign"}, {"$ref": "#/components/parameters/wait"}], "post": {"summary": "set the clock to now, or to the time given", "requestBody": {"content": {"application/json": {"schema": {"type": "object", "properties": {"time": {"type": "string", "description": "ISO 8601, such as 2026-12-24T18:30:00"}}}}}}, "responses": {"200": {"$ref": "#/components/responses/done"}}}},
    "/api/groups/{group}/clock": {"parameters": [{"$ref": "#/components/parameters/group"}, {"$ref": "#/components/parameters/wait"}], "post": {"summary": "set the clock of every sign of the group", "responses": {"200": {"$ref": "#/components/responses/done"}}}},
    "/api/signs/{name}/run/{letter}": {"parameters": [{"$ref": "#/components/parameters/sign"}, {"$ref": "#/components/parameters/letter"}, {"$ref": "#/components/parameters/wait"}], "post": {"summary": "run the page", "responses": {"200": {"$ref": "#/components/responses/done"}}}},
    "/api/groups/{group}/run/{letter}": {"parameters": [{"$ref": "#/components/parameters/group"}, {"$ref": "#/components/parameters/letter"}, {"$ref": "#/components/parameters/wait"}], "post": {"summary": "run the page on every sign of the group", "responses": {"200": {"$ref": "#/components/responses/done"}}}},
    "/api/jobs/{id}": {"parameters": [{"name": "id", "in": "path", "required": true, "schema": {"type": "string"}}], "get": {"summary": "a job started with wait=false", "responses": {"200": {"description": "the job", "content": {"application/json": {"schema": {"$ref": "#/components/schemas/Job"}}}}, "404": {"$ref": "#/components/responses/error"}}}},
    "/api/openapi.json": {"get": {"summary": "this document", "responses": {"200": {"description": "OpenAPI 3"}}}}
  }
})json";

} // namespace

QJsonObject OpenApiDocument() {
    static const QJsonObject document =
        QJsonDocument::fromJson(QByteArray::fromRawData(kDocument, sizeof kDocument - 1)).object();
    return document;
}

} // namespace lumivo::service
