#include "text_fields.h"

#include <ostream>

#include "display_text.h"

namespace lumeta {

FixedAnd::operator std::string() const {
  std::string s(fixed.view());
  return s.append(tail);
}

FrontText& FrontText::operator=(std::string_view bytes) {
  text_->assign_front(bytes);
  return *this;
}

FrontText& FrontText::operator=(const FrontFixed&) {
  text_->front_from_fixed();
  return *this;
}

FrontText& FrontText::operator=(const FixedAnd& value) {
  if (value.tail.data() >= view().data() && value.tail.data() <= view().data() + size()) {
    return *this = std::string_view(std::string(value));  // a piece of the text itself
  }
  text_->front_from_fixed();
  text_->append_front(value.tail);
  return *this;
}

FrontText& FrontText::operator+=(std::string_view bytes) {
  text_->append_front(bytes);
  return *this;
}

void FrontText::clear() {
  text_->truncate_front(0);
}

void FrontText::drop_last_char() {
  text_->drop_last_front_char();
}

std::string_view FrontText::view() const {
  return text_->front();
}

std::size_t FrontText::size() const {
  return text_->split();
}

FrontFixed& FrontFixed::operator=(std::string_view bytes) {
  text_->assign_fixed(bytes);
  return *this;
}

FrontFixed& FrontFixed::operator=(const FrontText&) {
  text_->fix_front();
  return *this;
}

FrontFixed& FrontFixed::operator+=(std::string_view bytes) {
  std::string longer(view());
  longer.append(bytes);
  return *this = longer;
}

void FrontFixed::clear() {
  text_->assign_fixed({});
}

void FrontFixed::drop_last_char() {
  text_->drop_last_fixed_char();
}

std::string_view FrontFixed::view() const {
  return text_->fixed();
}

std::size_t FrontFixed::size() const {
  return text_->fixed_size();
}

BackText& BackText::operator=(std::string_view bytes) {
  text_->assign_back(bytes);
  return *this;
}

std::string_view BackText::view() const {
  return text_->back();
}

std::size_t BackText::size() const {
  return text_->size() - text_->split();
}

std::string operator+(const FrontText& front, std::string_view tail) {
  std::string s(front.view());
  return s.append(tail);
}

std::string operator+(const BackText& back, std::string_view tail) {
  std::string s(back.view());
  return s.append(tail);
}

bool FrontFixed::is_front() const {
  return text_->fixed_is_front();
}

bool operator==(const FrontFixed& fixed, const FrontText& front) {
  if (fixed.is_front()) return true;
  return fixed.size() == front.size() && fixed.view() == front.view();
}

}  // namespace lumeta
