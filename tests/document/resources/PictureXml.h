#pragma once
// Page and shape XML of the document's form, as a label from elsewhere may
// hold it: rectangles, picture shapes, textures and backgrounds whose
// pictures are embedded bytes.

#include <string>

#include "xml/Base64.h"

namespace doctest::picturexml {

inline std::string ResourceXml(const std::string& bytes) {
  return "<ClassName>TdocBitmapResource</ClassName><Data><Size>" + std::to_string(bytes.size()) +
         "</Size><Filter>Base64</Filter><Buffer>" + xml::EncodeBase64(bytes.data(), bytes.size()) +
         "</Buffer></Data><FileName>picture.bmp</FileName><Storage>Embedded</Storage>";
}

inline std::string Rectangle(float left) {
  return "<Shape><ClassName>TdocRectangleShape</ClassName><DocLeft>" + std::to_string(left) +
         "</DocLeft><DocTop>3</DocTop><DocWidth>20</DocWidth><DocHeight>10</DocHeight></Shape>";
}

inline std::string PictureShape(const std::string& bytes, const std::string& effects = "") {
  return "<Shape><ClassName>TdocBitmapShape</ClassName><DocLeft>1</DocLeft><DocTop>1</DocTop><DocWidth>30</DocWidth>"
         "<DocHeight>30</DocHeight><Image>" +
         ResourceXml(bytes) + "</Image>" + effects + "</Shape>";
}

inline std::string Texture(const std::string& bytes) {
  return "<Effect><ClassName>TdocTextureEffect</ClassName><Texture>" + ResourceXml(bytes) + "</Texture></Effect>";
}

inline std::string Page(int index, const std::string& own, const std::string& shapes) {
  return "<Page Index=\"" + std::to_string(index) + "\">" + own + shapes + "</Page>";
}

inline std::string Background(const std::string& bytes) {
  return "<IsDefaultPage>False</IsDefaultPage><PageWidth>100</PageWidth><PageHeight>100</PageHeight>"
         "<BackgroundImage>" +
         ResourceXml(bytes) + "</BackgroundImage>";
}

}  // namespace doctest::picturexml
